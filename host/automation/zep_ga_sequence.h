#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QList>
#include <QString>

#include "zep_ga_action.h"

// Automation actions played first to last, and the program they drive.
class TZEP_GA_Sequence {
public:
    TZEP_GA_Sequence() = default;
    TZEP_GA_Sequence(const TZEP_GA_Sequence&) = default;
    TZEP_GA_Sequence& operator=(const TZEP_GA_Sequence&) = default;
    virtual ~TZEP_GA_Sequence() = default;

    void Append(const TZEP_GA_SingleAction& AAction) { FActions.append(AAction); }
    // The actions in order, as copies.
    QList<TZEP_GA_SingleAction> Actions() const { return FActions; }
    qsizetype Count() const { return FActions.size(); }
    TZEP_GA_SingleAction Action(qsizetype AIndex) const { return FActions.at(AIndex); }
    virtual void Clear();

    const QString& TargetProgramFile() const { return FTargetProgramFile; }
    void SetTargetProgramFile(const QString& AFile) { FTargetProgramFile = AFile; }

    // Binary form: writes all actions and the target program file at the stream's position.
    void SaveToStream(QIODevice& AStream) const;
    // Reads exactly what SaveToStream wrote and replaces the content; on an error the content
    // stays as it was.
    void LoadFromStream(QIODevice& AStream);
    // The same from bytes in memory; answers how many bytes the sequence took.
    qsizetype LoadFromBytes(QByteArrayView ABytes);
    // Checks a stream form as LoadFromBytes does, without decoding it; answers its actions.
    static qsizetype CountActions(QByteArrayView ABytes);

    // The one-line text form of the catalogue's "SEQUENCE" key.
    QString ToText() const;
    // Replaces the actions by those of a text form; the target program file stays.
    void LoadFromText(const QString& AText);

    QString ToString() const;

private:
    static qsizetype Parse(QByteArrayView ABytes, QList<TZEP_GA_SingleAction>* AActions,
                           QString* ATarget, qsizetype* ACount = nullptr);

    QList<TZEP_GA_SingleAction> FActions;
    QString FTargetProgramFile;
};
