#pragma once
// A box layout whose controls touch each other and the owner's edges.

#include <QBoxLayout>

template <typename Layout>
Layout* TightLayout(QWidget* owner)
{
    auto* layout = new Layout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}
