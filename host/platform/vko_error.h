#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Names one entry of the message catalogue: a program key and a number.
struct TInfoKoord {
    QString Programm;
    int Nummer = 0;

    static TInfoKoord Construct(const QString& AProgramm, int ANummer);
    bool IsNull() const { return Nummer == 0; }
    friend bool operator==(const TInfoKoord&, const TInfoKoord&) = default;
};

// An error with a German text a user can act on; optionally a catalogue entry.
class EVKO_Error : public std::exception {
public:
    explicit EVKO_Error(QString AText, TInfoKoord AKoord = {});
    const QString& Text() const { return FText; }
    const TInfoKoord& Koord() const { return FKoord; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FText;
    TInfoKoord FKoord;
    QByteArray FUtf8;
};
