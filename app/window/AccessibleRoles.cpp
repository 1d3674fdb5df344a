#include "app/window/AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface* AccessibleWithRole(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("MainWindow"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("MainToolBar"))
        return new QAccessibleWidget(widget, QAccessible::ToolBar);
    return nullptr;
}

} // namespace

void InstallAccessibleRoles()
{
    QAccessible::installFactory(AccessibleWithRole); // a second install is ignored
}
