// The one-line text form of an action sequence, for example
//   START; WAIT "PLON – Auswertung" ms=15000; CLICK x=40 y=80; TYPE "#VON#"; KEYS "Tab"; PAUSE
//   ms=500
// Actions are separated by ";". Each is a keyword, optionally a text in double quotes and
// optionally the numbers x=, y= and ms=. Inside the quotes \" \\ \n \r \t and \u{hex} are
// escapes; control characters and lone surrogates are always written as escapes, so every
// text survives one INI line.
#include <QStringList>
#include <array>

#include "vko_info.h"
#include "zep_ga_sequence.h"

namespace {

struct TKeyword {
    TZEP_GA_ActionKind Kind;
    const char* Name;
};

constexpr std::array<TKeyword, 7> CKeywords{{
    {TZEP_GA_ActionKind::Template, "TEMPLATE"},
    {TZEP_GA_ActionKind::StartProgram, "START"},
    {TZEP_GA_ActionKind::WaitWindow, "WAIT"},
    {TZEP_GA_ActionKind::TypeText, "TYPE"},
    {TZEP_GA_ActionKind::PressKeys, "KEYS"},
    {TZEP_GA_ActionKind::Click, "CLICK"},
    {TZEP_GA_ActionKind::Pause, "PAUSE"},
}};

QString KeywordOf(TZEP_GA_ActionKind AKind) {
    for (const TKeyword& keyword : CKeywords) {
        if (keyword.Kind == AKind) {
            return QString::fromLatin1(keyword.Name);
        }
    }
    throw EVKO_Error(
        QStringLiteral("Die Aktionsart %1 hat keine Textform.").arg(static_cast<int>(AKind)),
        CVKO_Info_Fehler_Standard_IllegalerParameter);
}

bool NeedsEscape(const QString& AText, qsizetype AIndex) {
    const QChar c = AText.at(AIndex);
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
        return true;
    }
    if (c.isHighSurrogate()) {
        return AIndex + 1 >= AText.size() || !AText.at(AIndex + 1).isLowSurrogate();
    }
    if (c.isLowSurrogate()) {
        return AIndex == 0 || !AText.at(AIndex - 1).isHighSurrogate();
    }
    return false;
}

QString Quote(const QString& AText) {
    QString quoted = QStringLiteral("\"");
    for (qsizetype i = 0; i < AText.size(); ++i) {
        const QChar c = AText.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
            quoted += c;
        } else if (c == QLatin1Char('\n')) {
            quoted += QLatin1String("\\n");
        } else if (c == QLatin1Char('\r')) {
            quoted += QLatin1String("\\r");
        } else if (c == QLatin1Char('\t')) {
            quoted += QLatin1String("\\t");
        } else if (NeedsEscape(AText, i)) {
            quoted += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
        } else {
            quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

// Reads one text form; every error names the position and what was expected.
class TParser {
public:
    explicit TParser(const QString& AText) : FText(AText) {}

    QList<TZEP_GA_SingleAction> Parse() {
        QList<TZEP_GA_SingleAction> actions;
        SkipBlanks();
        if (AtEnd()) {
            return actions;
        }
        while (true) {
            actions.append(ParseAction());
            SkipBlanks();
            if (AtEnd()) {
                return actions;
            }
            Expect(QLatin1Char(';'), QStringLiteral("„;“ zwischen zwei Aktionen"));
            SkipBlanks();
        }
    }

private:
    bool AtEnd() const { return FPos >= FText.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : FText.at(FPos); }

    [[noreturn]] void Fail(const QString& AWhat) const {
        throw EVKO_Error(QStringLiteral("Die Aktionsfolge „%1“ ist ungültig: an Stelle %2 %3.")
                             .arg(FText.left(200), QString::number(FPos + 1), AWhat));
    }

    void SkipBlanks() {
        while (!AtEnd() && (Peek() == QLatin1Char(' ') || Peek() == QLatin1Char('\t'))) {
            ++FPos;
        }
    }

    void Expect(QChar AChar, const QString& AWhat) {
        if (Peek() != AChar) {
            Fail(QStringLiteral("wird %1 erwartet").arg(AWhat));
        }
        ++FPos;
    }

    QString Word() {
        const qsizetype start = FPos;
        while (!AtEnd() && (Peek().isLetter() || Peek() == QLatin1Char('_'))) {
            ++FPos;
        }
        return FText.mid(start, FPos - start);
    }

    TZEP_GA_SingleAction ParseAction() {
        const qsizetype start = FPos;
        const QString keyword = Word().toUpper();
        TZEP_GA_SingleAction action;
        bool known = false;
        for (const TKeyword& entry : CKeywords) {
            if (keyword == QLatin1String(entry.Name)) {
                action.Kind = entry.Kind;
                known = true;
            }
        }
        if (!known) {
            FPos = start;
            Fail(
                QStringLiteral("steht keine bekannte Aktion (TEMPLATE, START, WAIT, TYPE, "
                               "KEYS, CLICK oder PAUSE)"));
        }
        SkipBlanks();
        if (Peek() == QLatin1Char('"')) {
            action.Text = ParseQuoted();
        }
        SkipBlanks();
        while (!AtEnd() && Peek() != QLatin1Char(';')) {
            ParseNumber(action);
            SkipBlanks();
        }
        return action;
    }

    void ParseNumber(TZEP_GA_SingleAction& AAction) {
        const QString name = Word().toLower();
        qint32* target = name == QLatin1String("x")    ? &AAction.X
                         : name == QLatin1String("y")  ? &AAction.Y
                         : name == QLatin1String("ms") ? &AAction.Millisekunden
                                                       : nullptr;
        if (target == nullptr) {
            Fail(QStringLiteral("wird x=, y= oder ms= erwartet"));
        }
        Expect(QLatin1Char('='), QStringLiteral("„=“ nach „%1“").arg(name));
        const qsizetype start = FPos;
        if (Peek() == QLatin1Char('-')) {
            ++FPos;
        }
        while (!AtEnd() && Peek().isDigit() && Peek().unicode() < 0x80) {
            ++FPos;
        }
        bool ok = false;
        *target = FText.mid(start, FPos - start).toInt(&ok);
        if (!ok) {
            FPos = start;
            Fail(QStringLiteral("wird eine ganze Zahl für „%1“ erwartet").arg(name));
        }
    }

    QString ParseQuoted() {
        Expect(QLatin1Char('"'), QStringLiteral("„\"“"));
        QString text;
        while (true) {
            if (AtEnd()) {
                Fail(QStringLiteral("fehlt das schließende „\"“"));
            }
            const QChar c = FText.at(FPos++);
            if (c == QLatin1Char('"')) {
                return text;
            }
            if (c != QLatin1Char('\\')) {
                text += c;
                continue;
            }
            text += ParseEscape();
        }
    }

    QChar ParseEscape() {
        if (AtEnd()) {
            Fail(QStringLiteral("fehlt das Zeichen nach „\\“"));
        }
        const QChar c = FText.at(FPos++);
        switch (c.unicode()) {
            case u'"':
            case u'\\':
                return c;
            case u'n':
                return QLatin1Char('\n');
            case u'r':
                return QLatin1Char('\r');
            case u't':
                return QLatin1Char('\t');
            case u'u':
                return ParseCodeUnit();
            default:
                --FPos;
                Fail(QStringLiteral("steht die unbekannte Ersetzung „\\%1“").arg(c));
        }
    }

    QChar ParseCodeUnit() {
        Expect(QLatin1Char('{'), QStringLiteral("„{“ nach „\\u“"));
        const qsizetype close = FText.indexOf(QLatin1Char('}'), FPos);
        bool ok = false;
        const uint value =
            close < 0 || close - FPos > 4 ? 0 : FText.mid(FPos, close - FPos).toUInt(&ok, 16);
        if (!ok || value > 0xFFFF) {
            Fail(
                QStringLiteral("wird eine Zeichennummer aus höchstens vier Hexadezimalziffern "
                               "und „}“ erwartet"));
        }
        FPos = close + 1;
        return QChar(static_cast<char16_t>(value));
    }

    const QString& FText;
    qsizetype FPos = 0;
};

}  // namespace

QString TZEP_GA_Sequence::ToText() const {
    QStringList items;
    items.reserve(FActions.size());
    for (const TZEP_GA_SingleAction& action : FActions) {
        QString item = KeywordOf(action.Kind);
        if (!action.Text.isEmpty()) {
            item += QLatin1Char(' ') + Quote(action.Text);
        }
        if (action.X != 0) {
            item += QStringLiteral(" x=%1").arg(action.X);
        }
        if (action.Y != 0) {
            item += QStringLiteral(" y=%1").arg(action.Y);
        }
        if (action.Millisekunden != 0) {
            item += QStringLiteral(" ms=%1").arg(action.Millisekunden);
        }
        items.append(item);
    }
    return items.join(QStringLiteral("; "));
}

void TZEP_GA_Sequence::LoadFromText(const QString& AText) {
    FActions = TParser(AText).Parse();
}
