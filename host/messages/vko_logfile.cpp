#include "vko_logfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <cerrno>

#include "vko_info.h"
#include "vko_trusted_file.h"

namespace {

bool IsControl(char32_t ACharacter) {
    return ACharacter < 0x20 || (ACharacter >= 0x7F && ACharacter < 0xA0) || ACharacter == 0x2028 ||
           ACharacter == 0x2029;
}

}  // namespace

QString VKO_OneLine(const QString& AText) {
    QString line;
    line.reserve(AText.size());
    for (const char32_t character : AText.toUcs4()) {
        if (character == U'\\') {
            line += QLatin1String("\\\\");
        } else if (character == U'\n') {
            line += QLatin1String("\\n");
        } else if (character == U'\r') {
            line += QLatin1String("\\r");
        } else if (character == U'\t') {
            line += QLatin1String("\\t");
        } else if (IsControl(character)) {
            line += QStringLiteral("\\u{%1}").arg(static_cast<uint>(character), 0, 16);
        } else {
            line += QString::fromUcs4(&character, 1);
        }
    }
    return line;
}

void VKO_AppendLogLine(const QString& APath, const QString& ALine) {
    const int descriptor = VKO_OpenTrustedDataFile(APath, O_WRONLY | O_APPEND | O_CREAT,
                                                   QStringLiteral("Das Protokoll"));
    const QByteArray bytes = (VKO_OneLine(ALine) + QLatin1Char('\n')).toUtf8();
    qsizetype written = 0;
    int error = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.constData() + written,
                                       static_cast<size_t>(bytes.size() - written));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            error = result < 0 ? errno : EIO;
            break;
        }
        written += result;
    }
    ::close(descriptor);
    if (error != 0) {
        throw EVKO_Error(QStringLiteral("Das Protokoll „%1“ kann nicht geschrieben werden: %2.")
                             .arg(APath, qt_error_string(error)));
    }
}
