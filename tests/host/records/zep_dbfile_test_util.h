#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

#include "vko_info.h"
#include "zep_dbfile.h"

inline const TIntPair CBenutzer{1000, 7};

// Inserts a record the way the report store does: program key, display name, users, blob.
inline void InsertRecord(TZEP_DBFile& AFile, const QString& AProgramm, const QString& AName,
                         const QByteArray& ADaten) {
    AFile.Reset();
    AFile.SetKeyWert(TZEP_DBFile::CProgramKey, AProgramm);
    AFile.SetWert(TZEP_DBFile::CDisplayName, AName);
    AFile.SetWert(TZEP_DBFile::CCreatedBy, CBenutzer);
    AFile.SetWert(TZEP_DBFile::CChangedBy, CBenutzer);
    AFile.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false).write(ADaten);
    AFile.EndStreamBuchung();
}

inline bool ReadRecord(TZEP_DBFile& AFile, const QString& AProgramm, const QString& ANameKey) {
    AFile.Reset();
    AFile.SetKeyWert(TZEP_DBFile::CProgramKey, AProgramm);
    AFile.SetKeyWert(TZEP_DBFile::CNameKey, ANameKey);
    return AFile.Read();
}

// The blob of a record, or a null array when it is not there.
inline QByteArray BlobOf(TZEP_DBFile& AFile, const QString& AProgramm, const QString& ANameKey) {
    return ReadRecord(AFile, AProgramm, ANameKey) ? AFile.BlobBytes() : QByteArray();
}

inline void UpdateRecord(TZEP_DBFile& AFile, const QString& AProgramm, const QString& ANameKey,
                         const QByteArray& ADaten) {
    ASSERT_TRUE(ReadRecord(AFile, AProgramm, ANameKey));
    AFile.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write(ADaten);
    AFile.EndStreamBuchung();
}

// "PROGRAMM/NAME_KEY" of every record, in walk order.
inline QStringList WalkKeys(TZEP_DBFile& AFile) {
    QStringList keys;
    AFile.Reset();
    for (bool found = AFile.Get_first_extMode(); found; found = AFile.Get_next_extMode()) {
        EXPECT_TRUE(AFile.Found());
        keys.append(AFile.Wert(TZEP_DBFile::CProgramKey) + QLatin1Char('/') +
                    AFile.Wert(TZEP_DBFile::CNameKey));
    }
    EXPECT_FALSE(AFile.Found());
    return keys;
}

// The text of the EVKO_Error that AAction raises, empty when it raises none.
inline QString ErrorText(const std::function<void()>& AAction) {
    try {
        AAction();
    } catch (const EVKO_Error& error) {
        return error.Text();
    }
    return {};
}
