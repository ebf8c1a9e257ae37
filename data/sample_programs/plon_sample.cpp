// PLON, the suite's staff planning, as far as the sample catalogue drives it: a period, a
// department, a client, the recipients and an output file in, a staffing report out.
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QPushButton>

#include "sample_form.h"

namespace {

qint64 Weekdays(const QDate& AFrom, const QDate& ATo) {
    const qint64 days = AFrom.daysTo(ATo) + 1;
    qint64 weekdays = days / 7 * 5;
    for (qint64 i = 0; i < days % 7; ++i) {
        weekdays += AFrom.addDays(i).dayOfWeek() <= 5 ? 1 : 0;
    }
    return weekdays;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TSampleForm form(QStringLiteral("PLON – Personaleinsatzplanung"));
    QLineEdit* von = form.AddField(QStringLiteral("&Von:"));
    QLineEdit* bis = form.AddField(QStringLiteral("B&is:"));
    QLineEdit* abteilung = form.AddField(QStringLiteral("&Abteilung:"));
    QLineEdit* mandant = form.AddField(QStringLiteral("&Mandant:"));
    QLineEdit* empfaenger = form.AddField(QStringLiteral("Empfänge&r:"));
    QLineEdit* ausgabe = form.AddOutputField(QStringLiteral("PLON_Bericht.txt"));
    auto* summenzeile = new QCheckBox(QStringLiteral("mit &Summenzeile"), &form.Window());
    form.AddRow(summenzeile);
    auto* erstellen = new QPushButton(QStringLiteral("Bericht &erstellen"), &form.Window());
    form.AddRow(erstellen);

    QObject::connect(erstellen, &QPushButton::clicked, [&] {
        const QDate from = form.Date(von, QStringLiteral("Von"));
        const QDate to = from.isValid() ? form.Date(bis, QStringLiteral("Bis")) : QDate();
        if (!from.isValid() || !to.isValid()) {
            return;
        }
        if (from > to) {
            form.ShowError(QStringLiteral("Von liegt nach Bis."));
            return;
        }
        const QString format = QStringLiteral("dd.MM.yyyy");
        const qint64 workdays = Weekdays(from, to);
        QStringList lines{
            QStringLiteral("Programm: PLON"),
            QStringLiteral("Von: %1").arg(from.toString(format)),
            QStringLiteral("Bis: %1").arg(to.toString(format)),
            QStringLiteral("Abteilung: %1").arg(abteilung->text().trimmed()),
            QStringLiteral("Summenzeile: %1")
                .arg(summenzeile->isChecked() ? QStringLiteral("ja") : QStringLiteral("nein")),
            QStringLiteral("Erstellt: %1")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"))),
            QStringLiteral("Kalendertage: %1").arg(from.daysTo(to) + 1),
            QStringLiteral("Arbeitstage (Mo–Fr): %1").arg(workdays),
            QStringLiteral("Schichten Früh: %1").arg(workdays),
            QStringLiteral("Schichten Spät: %1").arg(workdays),
        };
        if (summenzeile->isChecked()) {
            lines.append(QStringLiteral("Summe Schichtstunden: %1").arg(workdays * 2 * 8));
        }
        lines.append(QStringLiteral("Mandant: %1").arg(mandant->text().trimmed()));
        lines.append(QStringLiteral("Empfänger: %1").arg(empfaenger->text().trimmed()));
        form.WriteReport(ausgabe, lines);
    });

    von->setFocus();
    form.Window().show();
    return application.exec();
}
