#include "qtfiles/QtConversions.h"

#include <QStringDecoder>
#include <QStringEncoder>

QByteArray ToGbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.isValid() ? QByteArray(encoder(text)) : text.toLocal8Bit();
}

QString FromGbk(std::string_view bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder decoder("GBK");
    return decoder.isValid() ? QString(decoder(view)) : QString::fromLocal8Bit(view);
}
