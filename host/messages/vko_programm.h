#pragma once

#include <QString>
#include <exception>

// The suite's program framework: registration, the unattended-run flag, errors that escape.
class TVKOProgramm {
public:
    void Init(const QString& AKey, int AProzessTyp, int AInstanzEinstellung, int ANummer,
              bool AFlag);
    bool IsInitialized() const { return FInitialized; }
    const QString& Key() const { return FKey; }

    bool Unattended() const { return FUnattended; }
    void SetUnattended(bool AUnattended) { FUnattended = AUnattended; }

    // The framework's id of this program, written into plan records.
    int GetRId() const;

    // Shows an error that escaped: in a window as a message, in an unattended run in the log
    // and on standard error. Never waits for a person in an unattended run.
    void ShowException(const std::exception_ptr& AException, bool AFlag);

private:
    QString FKey;
    bool FInitialized = false;
    bool FUnattended = false;
};

TVKOProgramm& VKOProgramm();
