#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QVarLengthArray>
#include <memory>

// A fixed number of numbered, independent byte sequences ("lines") written and read as a
// whole. Framing: "ZMLS", the part count and every part's size (little-endian 32 bit), then
// the parts' bytes in order.
class TZEP_MultiLine_Stream {
public:
    TZEP_MultiLine_Stream();
    ~TZEP_MultiLine_Stream();
    TZEP_MultiLine_Stream(const TZEP_MultiLine_Stream&) = delete;
    TZEP_MultiLine_Stream& operator=(const TZEP_MultiLine_Stream&) = delete;

    // More parts than a reader accepts; protects against a damaged count.
    static constexpr int CMaxLines = 4096;

    void SetLineCount(int ACount);
    int LineCount() const { return static_cast<int>(FLines.size()); }
    void SetCurrentLine(int ALine);
    int CurrentLine() const { return FCurrent; }

    // The ordinary stream operations, acting on the current part.
    qint64 Size() const;
    qint64 Position() const { return FPosition; }
    void Seek(qint64 APosition);
    QByteArray Read(qint64 ACount);
    QByteArray ReadAll();
    void Write(const QByteArray& ABytes);
    const QByteArray& LineData() const;
    // The current part's bytes without copying them; valid until the container changes.
    QByteArrayView LineView() const;

    // The current part as a device, for readers and writers that take a stream.
    QIODevice& Stream();

    void SaveFullData(QIODevice& AStream) const;
    // Replaces every part with what SaveFullData wrote; stops exactly at its end.
    void LoadFullData(QIODevice& AStream);
    // The same from bytes in memory; answers how many bytes the container took.
    qsizetype LoadFullData(const QByteArray& ABytes);

    // The parts of what SaveFullData wrote, as views into ABytes, checked as LoadFullData
    // checks them; answers how many bytes the container took. Eight parts are usual.
    using TPartViews = QVarLengthArray<QByteArrayView, 8>;
    static qsizetype SplitFullData(QByteArrayView ABytes, TPartViews& AParts);
    // Part AIndex of AParts; a missing one raises the error SetCurrentLine raises.
    static QByteArrayView Part(const TPartViews& AParts, qsizetype AIndex);

private:
    QByteArray& Current();
    void SyncFromStream();

    // A part is its own bytes, or a view into FSource as long as nobody asked for more.
    struct TLine {
        QByteArray Bytes;
        QByteArrayView View;
        bool Owned = true;
        qsizetype Size() const { return Owned ? Bytes.size() : View.size(); }
    };

    // Eight parts are usual; they need no allocation of their own.
    QVarLengthArray<TLine, 8> FLines;
    QByteArray FSource;
    int FCurrent = -1;
    qint64 FPosition = 0;
    std::unique_ptr<QBuffer> FStream;
};
