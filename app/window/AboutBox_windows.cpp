#include "app/window/AboutBox.h"

#include "app/shared/WindowStyle.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>

#include <windows.h>
#include <shellapi.h>

namespace {

class IconHandle {
public:
    explicit IconHandle(HICON icon) : icon_(icon) {}
    ~IconHandle()
    {
        if (icon_)
            ::DestroyIcon(icon_);
    }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    HICON Get() const { return icon_; }

private:
    HICON icon_;
};

} // namespace

// The texts go in the system's ANSI code page, as ShellAboutA reads them.
void ShowAboutBox(QWidget* owner, const ModalRunner&)
{
    const QString applicationText = AboutTitle();
    const QString credit = AboutCredit();
    // Only the Windows platform gives widgets system windows to own the box.
    const HWND window = QGuiApplication::platformName() == QLatin1String("windows")
                            ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    const IconHandle icon(owner->windowIcon().pixmap(32, 32).toImage().toHICON());
    ::ShellAboutA(window, applicationText.toLocal8Bit().constData(), credit.toLocal8Bit().constData(), icon.Get());
}
