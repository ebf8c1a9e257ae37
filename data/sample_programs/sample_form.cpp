#include "sample_form.h"

#include <QApplication>
#include <QDir>
#include <QKeySequence>
#include <QSaveFile>
#include <QShortcut>

TSampleForm::TSampleForm(const QString& ATitle)
    : FLayout(new QFormLayout(&FWindow)), FStatus(new QLabel(&FWindow)) {
    FWindow.setWindowTitle(ATitle);
    FWindow.resize(520, 280);
    FStatus->setWordWrap(true);
    FLayout->addRow(FStatus);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &FWindow);
    QObject::connect(quit, &QShortcut::activated, qApp, &QApplication::quit);
}

QLineEdit* TSampleForm::AddField(const QString& ALabel, const QString& AText) {
    auto* field = new QLineEdit(AText, &FWindow);
    auto* label = new QLabel(ALabel, &FWindow);
    label->setBuddy(field);
    FLayout->insertRow(FLayout->rowCount() - 1, label, field);
    return field;
}

void TSampleForm::AddRow(QWidget* AWidget) {
    FLayout->insertRow(FLayout->rowCount() - 1, AWidget);
}

QLineEdit* TSampleForm::AddOutputField(const QString& ADefaultName) {
    return AddField(QStringLiteral("A&usgabedatei:"), QDir::home().filePath(ADefaultName));
}

void TSampleForm::ShowError(const QString& AText) {
    FStatus->setStyleSheet(QStringLiteral("color: #b00020;"));
    FStatus->setText(AText);
}

void TSampleForm::ShowDone(const QString& AText) {
    FStatus->setStyleSheet(QStringLiteral("color: #1b5e20;"));
    FStatus->setText(AText);
}

QDate TSampleForm::Date(const QLineEdit* AField, const QString& AName) {
    const QString text = AField->text().trimmed();
    const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid()) {
        ShowError(
            QStringLiteral("%1: „%2“ ist kein gültiges Datum (TT.MM.JJJJ).").arg(AName, text));
    }
    return date;
}

bool TSampleForm::WriteReport(const QLineEdit* AOutputField, const QStringList& ALines) {
    const QString name = AOutputField->text().trimmed();
    if (name.isEmpty()) {
        ShowError(QStringLiteral("Es ist keine Ausgabedatei angegeben."));
        return false;
    }
    const QString path = QDir::home().absoluteFilePath(name);
    QSaveFile file(path);
    const QByteArray content = (ALines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        ShowError(QStringLiteral("Die Ausgabedatei „%1“ lässt sich nicht schreiben: %2")
                      .arg(path, file.errorString()));
        return false;
    }
    ShowDone(QStringLiteral("Geschrieben: %1").arg(path));
    return true;
}
