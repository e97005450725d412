#pragma once

#include "support/WidgetUi.h"

#include <QDialog>

// A shown modal window's controls, found by their object names.
struct DialogUi : WidgetUi
{
    explicit DialogUi(QDialog& d) : WidgetUi(d), dialog(d) {}

    QDialog& dialog;
};
