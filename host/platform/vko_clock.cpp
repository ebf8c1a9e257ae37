#include "vko_clock.h"

namespace {

std::function<QDateTime()>& Clock() {
    static std::function<QDateTime()> clock;
    return clock;
}

}  // namespace

QDateTime vko_Now() {
    const auto& clock = Clock();
    return clock ? clock() : QDateTime::currentDateTime();
}

std::function<QDateTime()> VKO_SetClock(std::function<QDateTime()> AClock) {
    return std::exchange(Clock(), std::move(AClock));
}
