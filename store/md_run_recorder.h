#pragma once

#include <QDateTime>
#include <exception>
#include <memory>

#include "zep_ga_player.h"
#include "zep_run_history.h"

// Writes one history entry per run. Whatever goes wrong while writing costs a log line and
// nothing else: a run's result never depends on its history.
class TZEP_MD_RunRecorder {
public:
    // Without a database path the history of the data folder is used.
    explicit TZEP_MD_RunRecorder(QString ADatabasePath = QString());
    ~TZEP_MD_RunRecorder();
    TZEP_MD_RunRecorder(const TZEP_MD_RunRecorder&) = delete;
    TZEP_MD_RunRecorder& operator=(const TZEP_MD_RunRecorder&) = delete;

    // AFehler: the error that ended the run, or none. Fills result, exit code, end, failing
    // step and message of AEntry from it.
    // ABild, the screen at the failure, is kept as a PNG picture in the data folder, named by
    // the entry's number only (TZEP_RunHistory::SetBild).
    void Record(TZEP_RunEntry AEntry, const std::exception_ptr& AFehler,
                const TZEP_GA_Bildschirm& ABild = {}) noexcept;
    void SetBildWriter(std::unique_ptr<IZEP_BildWriter> AWriter) { FWriter = std::move(AWriter); }
    // The history itself, opened on first use; raises when it cannot be opened.
    TZEP_RunHistory& History();

private:
    QString FDatabasePath;
    std::unique_ptr<TZEP_RunHistory> FHistory;
    std::unique_ptr<IZEP_BildWriter> FWriter;
};
