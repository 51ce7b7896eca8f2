// The settings file's "loop" group (version 4 on): the Loop Filter window's
// settings, each a number in its unit (F, ohm, MHz/V, kOhm, kHz, degrees,
// Hz), the filter and the design target null until given.
#pragma once

#include <QJsonObject>
#include <QString>

#include "loop_figures.h"

namespace vantrel {

inline constexpr char kLoopGroupKey[] = "loop";

QJsonObject loopGroup(const LoopSettings& loop);
// Empty when read; otherwise why not ("\"loop.C1\" is 0: the filter needs it").
QString readLoopGroup(const QJsonObject& group, LoopSettings& loop);

} // namespace vantrel
