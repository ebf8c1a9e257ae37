#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "md_mandorel.h"
#include "md_processor.h"
#include "md_test_support.h"

// A catalogue of three PLON templates and masked and plain tokens, in an isolated HOME with
// a fixed clock (15.01.2025) and a recording player.
class TStoreTest : public ::testing::Test {
protected:
    TStoreTest();

    std::unique_ptr<TZEP_MD_Processor> NewProcessor();
    std::unique_ptr<TRecordingPlayer> NewPlayer() const;

    // A Mandorel of program PLON with the given template steps and the value of #VON#.
    static std::unique_ptr<TZEP_MD_Mandorel> Mandorel(const QString& AName,
                                                      const QStringList& ATemplates = {
                                                          QStringLiteral("PLON_START")});
    // Adds and saves through a processor of its own.
    void Store(std::unique_ptr<TZEP_MD_Mandorel> AMandorel);

    TTempHome FHome;
    TFixedClock FClock{2025, 1, 15};
    std::shared_ptr<TRecordingPlayer::TShared> FPlayed =
        std::make_shared<TRecordingPlayer::TShared>();
};

extern const char* const CTestCatalogue;
