#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QStringList>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

#include "md_gui_controller.h"
#include "md_main.h"
#include "md_scripted_file_dialog.h"
#include "md_test_support.h"

// The main window on a real store in a temporary home, with the sample catalogue, a program
// directory that knows PLON, scripted answers, scripted file dialogs and a recording player.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Stores a Mandorel through a store of its own, as another window would have.
    void Store(const QString& AName, const QString& AProgramm, const QStringList& ASteps,
               const QList<TZEP_GA_SingleAction>& AOther = {});
    void Open();
    void Close();

    template <typename TWidget>
    TWidget* Find(const QString& AName) const {
        TWidget* widget = FWindow->findChild<TWidget*>(AName);
        EXPECT_NE(widget, nullptr) << AName.toStdString();
        return widget;
    }
    void Click(const QString& AButton);
    bool Shown(const QString& AButton) const;
    // Types into an edit field and leaves it with Return.
    void Type(const QString& AEdit, const QString& AText);
    // Selects the Mandorel row of the list with this display name.
    void SelectInList(const QString& AName);
    QStringList ListRows() const;
    void ClickCell(int ARow, int AColumn);
    // Opens the chooser of the row through its add or edit image and takes the entry.
    void ChooseStep(int ARow, const QString& AAnzeigeName);
    QStringList StepRows() const;
    QList<int> Meldungen();
    // Display names and steps of the stored Mandorele, read by a store of its own.
    QStringList StoredNames() const;

    TTempHome FHome;
    TScriptedPresenterScope FPresenter;
    std::shared_ptr<TRecordingPlayer::TShared> FPlayed =
        std::make_shared<TRecordingPlayer::TShared>();
    std::shared_ptr<TScriptedFileDialog::TShared> FDateien =
        std::make_shared<TScriptedFileDialog::TShared>();
    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> FController;
    std::unique_ptr<TZEP_MD_Main> FWindow;
};
