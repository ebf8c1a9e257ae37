#pragma once

#include <QByteArray>

// The readers that take outside input, each fed arbitrary bytes. A reader may refuse the bytes
// with EVKO_Error; anything else (a crash, another exception, a round trip that changes what
// was read) is a fault. The fuzzers and the regression tests share these functions.
void MD_Fuzz_MandorelStream(const QByteArray& ABytes);
void MD_Fuzz_MultiLineStream(const QByteArray& ABytes);
void MD_Fuzz_SequenceText(const QByteArray& ABytes);
void MD_Fuzz_SequenceStream(const QByteArray& ABytes);
// The bytes as MD_Templates.ini: token names, templates, their sequences and expansion.
void MD_Fuzz_CatalogueIni(const QByteArray& ABytes);
