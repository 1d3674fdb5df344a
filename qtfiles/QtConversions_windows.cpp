#include "qtfiles/QtConversions.h"

#include <windows.h>

#include <string>

// Qt's converters know GBK only where Qt was built with ICU; Windows knows it
// as code page 936 whatever the system's own code page is.
constexpr UINT kGbkCodePage = 936;

QByteArray ToGbk(const QString& text)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = ::WideCharToMultiByte(kGbkCodePage, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    ::WideCharToMultiByte(kGbkCodePage, 0, wide, int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

QString FromGbk(std::string_view bytes)
{
    const int size = ::MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(std::size_t(size), L'\0');
    ::MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()), wide.data(), size);
    return QString::fromStdWString(wide);
}
