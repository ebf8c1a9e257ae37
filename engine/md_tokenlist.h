#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>

#include "md_mandorel.h"
#include "zep_ga_action.h"

class TVKO_ZRZP_Berechner;

// Called once per dynamic token with the token and its display name.
using TZEP_MD_DynToken_EnumCallback =
    std::function<void(const QString& ATokenKennung, const QString& ATokenBezeichnung)>;

// One token of a template step as the views show it.
struct TZEP_MD_TokenInfo {
    QString Kennung;
    QString AnzeigeName;
    QString Wert;
    bool WertMasked = false;

    void Clear() { *this = TZEP_MD_TokenInfo{}; }
};

// Knows every token the system can fill in and replaces the token of one action before it is
// played: static values of the Mandorel first, then the dynamic date placeholders.
class TZEP_MD_Tokenlist {
public:
    using TTokenConvert_Func = std::function<QString()>;

    struct TToken_AnzeigeData {
        QString AnzeigeName;
        bool AnzeigeMaskiert = false;
    };

    // Sets the calculator's reference point to vko_Now, registers the dynamic tokens and reads
    // the display names of "TOKENNAMES" from MD_Templates.ini.
    TZEP_MD_Tokenlist();
    ~TZEP_MD_Tokenlist();
    TZEP_MD_Tokenlist(const TZEP_MD_Tokenlist&) = delete;
    TZEP_MD_Tokenlist& operator=(const TZEP_MD_Tokenlist&) = delete;

    // Replaces all static conversions by the pairs whose key is a token.
    void Static_TokenConversions_Set(const TZEP_MD_TokenValues& AKeyValueList);
    // Replaces the first token of the action's text in four stages; answers true. Every date
    // placeholder inside a value that was put in becomes its date, other tokens in it stay as
    // typed; a masked value becomes a date only when it is a placeholder as a whole. In a START
    // action each argument is replaced on its own, so that a value never adds an argument. The form
    // a masked value takes is registered as a secret.
    bool ReplaceToken(TZEP_GA_SingleAction& AAction) const;
    // Raises an error naming the token when a START action's text holds a masked token: the
    // arguments of a program are visible to every user of the machine.
    void Check_Programmstart(const TZEP_GA_SingleAction& AAction) const;
    static bool IsToken(const QString& AKand);
    // The value a static token takes in this run, its date placeholders computed as a step
    // would type them.
    QString Wert_4_Lauf(const QString& AToken) const;
    TToken_AnzeigeData AnzeigeData_4_Kennung(const QString& ATokenKennung) const;
    void Enum_DynToken(const TZEP_MD_DynToken_EnumCallback& AEnum_CB) const;
    // Computes every date placeholder for this point in time instead of the clock's, as a
    // run at that time would.
    void SetStichtag(const QDateTime& AStichtag);

private:
    // The first token of AText at or after AFrom.
    [[nodiscard]] static bool ExtractToken(const QString& AText, qsizetype AFrom, QString& AToken,
                                           qsizetype& APosition);
    void ReplaceInText(QString& AText) const;
    QString Wert_Berechnet(const QString& AWert, bool AMaskiert) const;
    QString Datumsplatzhalter_Berechnet(const QString& AWert) const;
    bool IsMasked(const QString& AToken) const;
    void Load_TokenBezeichnungen();
    void Add_DynConversions();
    QDateTime Jetzt() const;

    QHash<QString, TTokenConvert_Func> FDynamicTokens;
    QHash<QString, QString> FStaticTokens;
    QHash<QString, TToken_AnzeigeData> FStaticToken_Bezeichnungen;
    QHash<QString, QString> FDynamicToken_Bezeichnungen;
    std::unique_ptr<TVKO_ZRZP_Berechner> FZeitrechner;
    QDateTime FStichtag;
};
