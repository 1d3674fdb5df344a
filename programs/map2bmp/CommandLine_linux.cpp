#include "programs/map2bmp/CommandLine.h"

#include <QStringDecoder>

#include <unistd.h>

CommandLine::CommandLine(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(bytes);
        if (utf8.hasError()) {
            // A stand-in no valid argument equals: a lone surrogate never
            // comes out of valid UTF-8.
            text = QChar(0xD800) + QString::number(i);
            rawBytes_.emplace(text, bytes.toStdString());
        }
        arguments_.append(text);
    }
}

std::filesystem::path CommandLine::PathOf(const QString& argument) const
{
    const auto raw = rawBytes_.find(argument);
    return std::filesystem::path(raw != rawBytes_.end() ? raw->second : argument.toStdString());
}

bool IsTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream));
}
