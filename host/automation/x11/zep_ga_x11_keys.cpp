#include "zep_ga_x11_keys.h"

#include <QChar>
#include <QRegularExpression>
#include <QStringList>

#include "vko_info.h"

// Xlib defines macros (Bool, Status) that Qt headers must not see.
extern "C" {
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xdo.h>
}

namespace {

constexpr KeySym CUnicodeKeysymBase = 0x01000000;

// libxdo's own short names (alt, ctrl, shift, ...) come first, as it reads them.
QByteArray KeyName(const QString& AName) {
    const QByteArray name = AName.toLatin1();
    if (AName.isEmpty() || QString::fromLatin1(name) != AName) {
        return {};
    }
    const char** aliases = xdo_get_symbol_map();
    for (int i = 0; aliases[i] != nullptr; i += 2) {
        if (qstricmp(aliases[i], name.constData()) == 0) {
            return name;
        }
    }
    if (XStringToKeysym(name.constData()) != NoSymbol) {
        return name;
    }
    const QByteArray capitalised = name.left(1).toUpper() + name.mid(1);
    if (XStringToKeysym(capitalised.constData()) != NoSymbol) {
        return capitalised;
    }
    return {};
}

}  // namespace

QList<QByteArray> ZEP_GA_KeyCombinations(const QString& AKeys) {
    const QStringList items =
        AKeys.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (items.isEmpty()) {
        throw EVKO_Error(QStringLiteral("Es sind keine Tasten angegeben."));
    }
    QList<QByteArray> combinations;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QStringList parts = items.at(i).split(QLatin1Char('+'));
        QByteArrayList names;
        for (qsizetype k = 0; k < parts.size(); ++k) {
            const QByteArray name = KeyName(parts.at(k));
            // The text may be a masked value: the error names the position, never the text.
            if (name.isEmpty()) {
                throw EVKO_Error(QStringLiteral("Die %1. Taste der %2. Tastenkombination ist kein "
                                                "bekannter Tastenname (Beispiele: alt+v, ctrl+q, "
                                                "Tab, Return, F5, minus, period).")
                                     .arg(QString::number(k + 1), QString::number(i + 1)));
            }
            names.append(name);
        }
        combinations.append(names.join('+'));
    }
    return combinations;
}

unsigned long ZEP_GA_CharacterKeysym(char32_t ACharacter) {
    if (ACharacter == U'\n') {
        return XK_Return;
    }
    if (ACharacter == U'\t') {
        return XK_Tab;
    }
    if (ACharacter < 0x20 || (ACharacter >= 0x7F && ACharacter < 0xA0) || ACharacter > 0x10FFFF ||
        QChar::isSurrogate(ACharacter)) {
        return NoSymbol;
    }
    // Latin-1 characters are their own key symbols; all others have one in the Unicode range.
    return ACharacter < 0x100 ? ACharacter : CUnicodeKeysymBase | ACharacter;
}

QByteArray ZEP_GA_CharacterKeys(char32_t ACharacter) {
    const KeySym keysym = ZEP_GA_CharacterKeysym(ACharacter);
    if (keysym == NoSymbol) {
        return {};
    }
    // Xlib names every key symbol below the Unicode range; for those in it, it would hand out
    // memory it never frees, and "U" with the code point is a name it reads back all the same.
    if (keysym < CUnicodeKeysymBase) {
        return QByteArray(XKeysymToString(keysym));
    }
    return QByteArrayLiteral("U") +
           QByteArray::number(static_cast<uint>(ACharacter), 16).toUpper().rightJustified(4, '0');
}
