#include "locale_text.h"

#include <langinfo.h>

#include <cstring>

namespace shell {

QStringDecoder LocaleDecoder()
{
    const char* codeset = nl_langinfo(CODESET);
    // The C locale answers ASCII, a subset of UTF-8 that would turn every accented letter into U+FFFD.
    if (codeset && *codeset && std::strcmp(codeset, "ANSI_X3.4-1968") != 0 && std::strcmp(codeset, "ASCII") != 0) {
        QStringDecoder decoder(codeset);
        if (decoder.isValid())
            return decoder;
    }
    return QStringDecoder(QStringConverter::Utf8);
}

QString FromLocaleText(const std::string& text)
{
    QStringDecoder decoder = LocaleDecoder();
    return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace shell
