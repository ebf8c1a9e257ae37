#include "vko_programm.h"

#include "vko_info.h"

void TVKOProgramm::Init(const QString& AKey, int, int, int, bool) {
    FKey = AKey;
    FInitialized = true;
}

int TVKOProgramm::GetRId() const {
    // One fixed id per program key; the plan store only needs it to be stable.
    return static_cast<int>(qHash(FKey, 0) & 0x7fffffff);
}

void TVKOProgramm::ShowException(const std::exception_ptr& AException, bool) {
    TVKOInfo& info = VKOInfo();
    info.ShowFehler(info.FehlerInfo(AException));
    info.ResetErrorSpezNoWrite();
}

TVKOProgramm& VKOProgramm() {
    static TVKOProgramm programm;
    return programm;
}
