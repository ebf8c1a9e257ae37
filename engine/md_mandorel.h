#pragma once

#include <QIODevice>
#include <QList>
#include <QMap>
#include <QString>
#include <QVarLengthArray>
#include <functional>
#include <memory>

#include "vko_byteslab.h"
#include "vko_inttrio.h"
#include "zep_ga_sequence.h"

// The pending change the store keeps per Mandorel. Stored as a byte, so a damaged value can
// be told apart from the four known ones.
enum class TZEP_DataOperation : quint8 {
    None = 0,
    Insert = 1,
    Update = 2,
    Delete = 3,
};

// Token text (with both "#") to value. Sorted, so that written streams are reproducible.
using TZEP_MD_TokenValues = QMap<QString, QString>;

// The stored definition of one unattended report run against one target program.
class TZEP_MD_Mandorel {
public:
    TZEP_MD_Mandorel();
    ~TZEP_MD_Mandorel();
    TZEP_MD_Mandorel(const TZEP_MD_Mandorel&) = delete;
    TZEP_MD_Mandorel& operator=(const TZEP_MD_Mandorel&) = delete;

    static std::unique_ptr<TZEP_MD_Mandorel> CreateNew(const QString& AName_Anzeige,
                                                       const QString& AProgramm);
    // A deep copy; the modify marker is not copied, the record version is.
    static std::unique_ptr<TZEP_MD_Mandorel> Clone(const TZEP_MD_Mandorel& AMother);

    // A Mandorel read from the store decodes its fields when one of them is first used.
    TZEP_GA_Sequence& Sequence() { return Decoded().FSequence; }
    const TZEP_GA_Sequence& Sequence() const { return Decoded().FSequence; }
    TZEP_MD_TokenValues& TokenValues() { return Decoded().FTokenValues; }
    const TZEP_MD_TokenValues& TokenValues() const { return Decoded().FTokenValues; }
    QList<TIntTrio>& PlanIds() { return Decoded().FPlanIds; }
    const QList<TIntTrio>& PlanIds() const { return Decoded().FPlanIds; }

    const QString& Programm() const { return FProgramm; }
    const QString& Name_Key() const { return FName_Key; }
    const QString& Name_Anzeige() const { return FName_Anzeige; }

    const QString& Auswertungs_Beschreibung() const { return Decoded().FAuswertungs_Beschreibung; }
    void SetAuswertungs_Beschreibung(const QString& AText) {
        Decoded().FAuswertungs_Beschreibung = AText;
    }
    const QString& Auswertungs_Grund() const { return Decoded().FAuswertungs_Grund; }
    void SetAuswertungs_Grund(const QString& AText) { Decoded().FAuswertungs_Grund = AText; }

    TZEP_DataOperation Modify_Marker() const { return FModify_Marker; }
    void SetModify_Marker(TZEP_DataOperation AMarker) { FModify_Marker = AMarker; }

    // The version of the stored record this Mandorel was read from or written as; 0 when it
    // was never stored. Not part of the stream.
    qint64 Record_Version() const { return FRecord_Version; }
    void SetRecord_Version(qint64 AVersion) { FRecord_Version = AVersion; }

    // Writes the 8-part Mandorel stream at the stream's position.
    void SaveToStream(QIODevice& AStream) const;
    // Reads a Mandorel stream from the start of AStream. Non-empty AName_Anzeige and
    // AProgramm take precedence over the stream's own. True when at least one step was read.
    [[nodiscard]] bool LoadFromStream(QIODevice& AStream, const QString& AName_Anzeige,
                                      const QString& AProgramm);
    // The same from the bytes of a whole stream, without a device around them. The stream is
    // checked completely, but its fields are decoded only when first used: a store of many
    // Mandorele loads at the speed of its database.
    [[nodiscard]] bool LoadFromBytes(const QByteArray& ABytes, const QString& AName_Anzeige,
                                     const QString& AProgramm);
    // The same from bytes it shares with others, such as a slab of a whole load; the texts
    // are taken over.
    [[nodiscard]] bool LoadFromBytes(const TVKO_SharedBytes& ABytes, QString AName_Anzeige,
                                     QString AProgramm);

private:
    friend class TZEP_MD_Helper;

    void SetName(QString AName_Anzeige);
    void BeginLoad(QString AName_Anzeige, QString AProgramm);
    // Decodes the parts into the fields; with ACheckOnly it only checks them and answers
    // whether the stream has a step (name and program are set in both cases).
    bool LoadParts(const QVarLengthArray<QByteArrayView, 8>& AParts, bool ACheckOnly);
    // Decodes a stream that LoadFromBytes checked but left undecoded.
    TZEP_MD_Mandorel& Decoded();
    const TZEP_MD_Mandorel& Decoded() const;

    TZEP_GA_Sequence FSequence;
    QString FAuswertungs_Beschreibung;
    QString FAuswertungs_Grund;
    TZEP_MD_TokenValues FTokenValues;
    QList<TIntTrio> FPlanIds;
    QString FProgramm;
    QString FName_Key;
    QString FName_Anzeige;
    TZEP_DataOperation FModify_Marker = TZEP_DataOperation::None;
    qint64 FRecord_Version = 0;
    TVKO_SharedBytes FUndecoded;
};

// Called once per Mandorel of an enumeration.
using TZEP_MD_Enum_Callback = std::function<void(TZEP_MD_Mandorel& AMandorel)>;
