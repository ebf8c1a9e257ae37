// KUDRE, the suite's customer register, as far as the sample catalogue drives it: a log-in,
// a key date and a customer group in, a customer list out. The password is never written.
#include <QApplication>
#include <QDateTime>
#include <QPushButton>

#include "sample_form.h"

namespace {

// A stable, made-up customer count per group.
int Customers(const QString& AGroup) {
    int sum = 0;
    for (const QChar c : AGroup) {
        sum += c.unicode();
    }
    return 5 + sum % 50;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TSampleForm form(QStringLiteral("KUDRE – Kundenregister"));
    QLineEdit* stichtag = form.AddField(QStringLiteral("&Stichtag:"));
    QLineEdit* gruppe = form.AddField(QStringLiteral("Kunden&gruppe:"));
    QLineEdit* kennwort = form.AddField(QStringLiteral("&Kennwort:"));
    kennwort->setEchoMode(QLineEdit::Password);
    QLineEdit* ausgabe = form.AddOutputField(QStringLiteral("KUDRE_Liste.txt"));
    auto* erstellen = new QPushButton(QStringLiteral("&Liste erstellen"), &form.Window());
    form.AddRow(erstellen);

    QObject::connect(erstellen, &QPushButton::clicked, [&] {
        const QDate date = form.Date(stichtag, QStringLiteral("Stichtag"));
        if (!date.isValid()) {
            return;
        }
        if (kennwort->text().isEmpty()) {
            form.ShowError(
                QStringLiteral("Anmeldung fehlgeschlagen: es ist kein Kennwort "
                               "angegeben."));
            return;
        }
        const QString group = gruppe->text().trimmed();
        const int customers = Customers(group);
        form.WriteReport(
            ausgabe,
            {
                QStringLiteral("Programm: KUDRE"),
                QStringLiteral("Stichtag: %1").arg(date.toString(QStringLiteral("dd.MM.yyyy"))),
                QStringLiteral("Kundengruppe: %1").arg(group),
                QStringLiteral("Anmeldung: ok"),
                QStringLiteral("Erstellt: %1")
                    .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"))),
                QStringLiteral("Kunden in der Gruppe: %1").arg(customers),
                QStringLiteral("Davon mit offenen Posten: %1").arg(customers / 3),
            });
    });

    stichtag->setFocus();
    form.Window().show();
    return application.exec();
}
