#pragma once

#include <QList>
#include <QString>
#include <utility>

// Named text parameters of a statement or procedure body: {"employee", "E001"} binds
// to :employee.
using SqlParameters = QList<std::pair<QString, QString>>;
