#pragma once

#include <QString>
#include <QStringView>
#include <unordered_set>

// Lets many loaded records share one copy of the short texts they repeat (token keys and
// values, template keys, program codes). QString shares its data implicitly, so the sharing is
// invisible to whoever changes a text later.
class TVKO_StringPool {
public:
    // Longer texts are rarely repeated and are not kept.
    static constexpr qsizetype CMaxLength = 64;

    QString Intern(QStringView AText);

private:
    struct THash {
        using is_transparent = void;
        // FNV-1a: the texts are short, and a seeded hash costs more than it buys here.
        std::size_t operator()(QStringView AText) const {
            std::size_t hash = 14695981039346656037ull;
            for (const QChar c : AText) {
                hash = (hash ^ c.unicode()) * 1099511628211ull;
            }
            return hash;
        }
    };
    struct TEqual {
        using is_transparent = void;
        bool operator()(QStringView A, QStringView B) const { return A == B; }
    };
    std::unordered_set<QString, THash, TEqual> FTexts;
};

// Makes APool the one VKO_Intern uses while the scope lasts (one thread, nested scopes allowed).
class TVKO_StringPoolScope {
public:
    explicit TVKO_StringPoolScope(TVKO_StringPool& APool);
    ~TVKO_StringPoolScope();
    TVKO_StringPoolScope(const TVKO_StringPoolScope&) = delete;
    TVKO_StringPoolScope& operator=(const TVKO_StringPoolScope&) = delete;

private:
    TVKO_StringPool* FPrevious;
};

// The text from the active pool, or a plain copy when no pool is active.
QString VKO_Intern(QStringView AText);
