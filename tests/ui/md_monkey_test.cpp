// Random clicks, keys, text, file choices and answers to every question, from a fixed seed.
// MD_MONKEY_EVENTS sets the number of events (20000 for a run by hand), MD_MONKEY_SEED the seed.
#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <cstdio>
#include <iterator>

#include "md_main_fixture.h"
#include "md_processor.h"
#include "vko_database.h"
#include "vko_statement.h"

namespace {

int Setting(const char* AName, int ADefault) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(AName, &ok);
    return ok ? value : ADefault;
}

template <typename TWidget>
QList<TWidget*> Usable(const QWidget& AWindow) {
    QList<TWidget*> usable;
    for (TWidget* widget : AWindow.findChildren<TWidget*>()) {
        if (widget->isVisible() && widget->isEnabled()) {
            usable.append(widget);
        }
    }
    return usable;
}

const Qt::Key CKeys[] = {Qt::Key_Tab,   Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Down,
                         Qt::Key_Up,    Qt::Key_Delete,  Qt::Key_F2,     Qt::Key_Escape,
                         Qt::Key_Space, Qt::Key_P,       Qt::Key_B,      Qt::Key_Home};

}  // namespace

TEST_F(MainWindowTest, MonkeyKeepsTheWindowAndTheStoreWhole) {
    const int events = Setting("MD_MONKEY_EVENTS", 1500);
    QRandomGenerator zufall(static_cast<quint32>(Setting("MD_MONKEY_SEED", 4711)));
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_BERICHT")});
    Store(QStringLiteral("Kunden"), QStringLiteral("KUDRE"), {QStringLiteral("KUDRE_START")});
    const QString export_ = FHome.Path() + QStringLiteral("/affe.mdex");
    const QString kaputt = FHome.Path() + QStringLiteral("/kaputt.mdex");
    // An export may have replaced it; an import must meet garbage.
    const auto schreibeMuell = [&kaputt] {
        QFile garbage(kaputt);
        return garbage.open(QIODevice::WriteOnly) && garbage.write("ZMLS\x08garbage") > 0;
    };
    const QStringList dateien{export_, kaputt, FHome.Path() + QStringLiteral("/fehlt/x.mdex"),
                              QString()};
    Open();

    for (int i = 0; i < events; ++i) {
        if (!FWindow->isVisible()) {
            Open();
        }
        FPresenter->Answers = {zufall.bounded(2) == 0 ? CVKO_Antwort_Ja : CVKO_Antwort_Nein,
                               zufall.bounded(2) == 0 ? CVKO_Antwort_Ja : CVKO_Antwort_Nein};
        FDateien->Dateien = {dateien.at(zufall.bounded(dateien.size()))};
        ASSERT_TRUE(schreibeMuell());
        switch (zufall.bounded(5)) {
            case 0: {
                const QList<QAbstractButton*> buttons = Usable<QAbstractButton>(*FWindow);
                if (!buttons.isEmpty()) {
                    QTest::mouseClick(buttons.at(zufall.bounded(buttons.size())), Qt::LeftButton);
                }
                break;
            }
            case 1: {
                const QList<QTreeView*> trees = Usable<QTreeView>(*FWindow);
                if (!trees.isEmpty()) {
                    QTreeView* tree = trees.at(zufall.bounded(trees.size()));
                    const QPoint punkt(zufall.bounded(qMax(1, tree->viewport()->width())),
                                       zufall.bounded(qMax(1, tree->viewport()->height() / 4)));
                    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, punkt);
                }
                break;
            }
            case 2: {
                const QList<QLineEdit*> edits = Usable<QLineEdit>(*FWindow);
                if (!edits.isEmpty()) {
                    QLineEdit* edit = edits.at(zufall.bounded(edits.size()));
                    QString text;
                    for (int c = zufall.bounded(25); c > 0; --c) {
                        text.append(QChar(u'a' + zufall.bounded(26)));
                    }
                    QTest::keyClicks(edit, text);
                    QTest::keyClick(edit, Qt::Key_Return);
                }
                break;
            }
            case 3: {
                QWidget* ziel =
                    QApplication::focusWidget() ? QApplication::focusWidget() : FWindow.get();
                QTest::keyClick(ziel, CKeys[zufall.bounded(static_cast<int>(std::size(CKeys)))]);
                break;
            }
            default: {
                const QList<QComboBox*> combos = Usable<QComboBox>(*FWindow);
                if (!combos.isEmpty()) {
                    QComboBox* combo = combos.at(zufall.bounded(combos.size()));
                    combo->hidePopup();
                    QTest::keyClick(combo, zufall.bounded(3) == 0 ? Qt::Key_Up : Qt::Key_Down);
                }
                break;
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Close();

    TVKO_Database database(TVKO_Database::DefaultPath());
    TVKO_Statement pruefung(database, "PRAGMA integrity_check");
    ASSERT_TRUE(pruefung.Step());
    EXPECT_EQ(pruefung.Text(0), QStringLiteral("ok"));
    TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
    store.Load_Reports();
    int geladen = 0;
    store.Enum_Mandorele([&geladen](TZEP_MD_Mandorel& AMandorel) {
        AMandorel.Sequence();
        ++geladen;
    });
    std::printf("Monkey: %d events, %d stored Mandorele, %lld messages, %lld errors shown\n",
                events, geladen, static_cast<long long>(FPresenter->Meldungen.size()),
                static_cast<long long>(FPresenter->Fehler.size()));
}
