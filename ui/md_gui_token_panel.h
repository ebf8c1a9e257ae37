#pragma once

#include <QFrame>
#include <functional>

class IZEP_MD_FileDialog;
class QLabel;
class TZEP_MD_Wertevorrat_Registry;

// Called with the token and the input's value when the input is left.
using TZEP_MD_Token_Panel_Exit =
    std::function<void(const QString& ATokenKennung, const QString& ATokenValue)>;
// Called with the input that receives the focus.
using TZEP_MD_Token_Panel_Enter = std::function<void(QWidget* AInput)>;

// One token of a step: its display name and an input of the kind the registry names for it, a
// choice box of its value list, or a plain edit.
class TZEP_MD_Token_Panel : public QFrame {
    Q_OBJECT

public:
    struct TToken {
        QString Name;
        QString AnzeigeName;
        bool Pflichtfeld = false;
        bool WertMaskieren = false;
        QString Value;
    };

    // ADialoge, not owned and possibly null, is what the input's buttons open.
    TZEP_MD_Token_Panel(QWidget* AParent, const TZEP_MD_Wertevorrat_Registry& ARegistry,
                        IZEP_MD_FileDialog* ADialoge, const TToken& AToken,
                        TZEP_MD_Token_Panel_Exit AOnExit, TZEP_MD_Token_Panel_Enter AOnEnter);
    ~TZEP_MD_Token_Panel() override;

    const QString& TokenName() const { return FTokenName; }
    const QString& AnzeigeName() const { return FAnzeigeName; }
    // False while the input shows a text its editor refuses.
    bool Eingabe_Gueltig() const;
    QString TokenValue_Get() const;
    QWidget* InputComp() const { return FInputComp; }
    // The label's natural width, before it is aligned.
    int HintLabel_NaturalWidth() const { return FNaturalWidth; }
    int HintLabel_Width() const;
    void SetHintLabel_Width(int AWidth);
    // Writes the input's value as leaving it does; nothing while the input refuses its text.
    void Exit();
    // The panel no longer reports: it is about to go.
    void Detach();

protected:
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    QWidget* CreateInput(const TZEP_MD_Wertevorrat_Registry& ARegistry,
                         IZEP_MD_FileDialog* ADialoge, const QString& AValue, bool AMaskieren);
    QWidget* Wertevorrat_2_ComboBox(const QStringList& AWerte, const QString& AValue);
    void Komponenten_ausrichten();
    void Watch(QWidget* AWidget);

    QString FTokenName;
    QString FAnzeigeName;
    QLabel* FHintLabel;
    QWidget* FInputComp = nullptr;
    int FNaturalWidth = 0;
    int FInputTop = 3;
    TZEP_MD_Token_Panel_Exit FOnExit;
    TZEP_MD_Token_Panel_Enter FOnEnter;
};
