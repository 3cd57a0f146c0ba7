// The 16 x 15 toolbar images of the Designer's commands, drawn in code.
#pragma once

#include <QIcon>

QIcon CommandIcon(unsigned id);
