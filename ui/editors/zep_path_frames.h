#pragma once

#include <QWidget>

class IZEP_MD_FileDialog;
class QLineEdit;
class QToolButton;

// A path in an edit with a button beside it that opens the file dialog.
class TZEP_PathDialogFrame : public QWidget {
    Q_OBJECT

public:
    QLineEdit* Edit() const { return FEdit; }
    QString Text() const;
    void SetText(const QString& AText);

protected:
    // ADialoge is not owned and may be null: the button then changes nothing.
    TZEP_PathDialogFrame(QWidget* AParent, IZEP_MD_FileDialog* ADialoge,
                         const QString& AButtonName);
    // The path the user chose, or empty text for Cancel.
    virtual QString Choose(IZEP_MD_FileDialog& ADialoge, const QString& AStart) = 0;

private:
    void btnWaehlenClick();

    IZEP_MD_FileDialog* FDialoge;
    QLineEdit* FEdit;
    QToolButton* FButton;
};

// A folder, such as where a report is written.
class TZEP_OpenDialogFrame : public TZEP_PathDialogFrame {
    Q_OBJECT

public:
    explicit TZEP_OpenDialogFrame(IZEP_MD_FileDialog* ADialoge, QWidget* AParent = nullptr);

protected:
    QString Choose(IZEP_MD_FileDialog& ADialoge, const QString& AStart) override;
};

// A file, such as the one a report is written to; it need not exist yet.
class TZEP_FileOpenDialogFrame : public TZEP_PathDialogFrame {
    Q_OBJECT

public:
    explicit TZEP_FileOpenDialogFrame(IZEP_MD_FileDialog* ADialoge, QWidget* AParent = nullptr);

protected:
    QString Choose(IZEP_MD_FileDialog& ADialoge, const QString& AStart) override;
};
