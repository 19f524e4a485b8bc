// The session's keyboard layout, expressed as the Windows language ids the
// screen keyboard chooses its key set by.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace kuvo {

constexpr quint16 kLayoutGerman = 0x0407;
constexpr quint16 kLayoutEnglishUs = 0x0409;
constexpr quint16 kLayoutSpanish = 0x040A;

// The layout list of an X11 _XKB_RULES_NAMES value: rules, model, layouts,
// variants and options, each ended by a NUL. Nothing when the value is malformed.
std::optional<QString> xkbLayoutsFromRulesNames(const QByteArray& value);

// Maps an XKB layout list ("de", "de,us", "us(intl)") by its first layout.
// Only the plain German and Spanish layouts have key sets of their own; every
// other layout, Swiss German and French among them, is English (US).
// Nothing when the list names no layout.
std::optional<quint16> layoutIdFromXkbLayouts(const QString& layouts);

} // namespace kuvo
