#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

// Three integers that identify a plan record; defined once the plan store assigned them.
struct TIntTrio {
    qint32 I1 = 0;
    qint32 I2 = 0;
    qint32 I3 = 0;

    bool Defined() const { return I1 != 0 || I2 != 0 || I3 != 0; }
    void Clear() { *this = TIntTrio{}; }
    friend bool operator==(const TIntTrio&, const TIntTrio&) = default;
};

// Two integers, for example the logged-in user.
struct TIntPair {
    qint32 I1 = 0;
    qint32 I2 = 0;

    bool Defined() const { return I1 != 0 || I2 != 0; }
    void Clear() { *this = TIntPair{}; }
    friend bool operator==(const TIntPair&, const TIntPair&) = default;
};

// One line, for example "12;0;-3", that vko_String2TIntTrio turns back into the same trio.
QString vko_TIntTrio2String(const TIntTrio& ATrio);
// Raises EVKO_Error for a text that is not three integers separated by ";".
TIntTrio vko_String2TIntTrio(QStringView AText);

QString vko_TIntPair2String(const TIntPair& APair);
TIntPair vko_String2TIntPair(QStringView AText);
