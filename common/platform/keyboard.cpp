#include "keyboard.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QList>
#include <QLocale>

#include "qtplatform.h"

#if defined(KUVO_HAVE_XCB) && QT_CONFIG(xcb)
#include <cstdlib>
#include <xcb/xcb.h>
#define KUVO_READ_XKB 1
#endif

namespace kuvo {

std::optional<QString> xkbLayoutsFromRulesNames(const QByteArray& value)
{
    // Rules and model come first; the value must at least reach the layout field.
    const QList<QByteArray> fields = value.split('\0');
    if (fields.size() < 3)
        return std::nullopt;
    return QString::fromLatin1(fields.at(2));
}

std::optional<quint16> layoutIdFromXkbLayouts(const QString& layouts)
{
    QString first = layouts.section(QLatin1Char(','), 0, 0).trimmed();
    // A variant may be written into the layout field: "de(nodeadkeys)".
    first = first.section(QLatin1Char('('), 0, 0).trimmed().toLower();
    if (first.isEmpty())
        return std::nullopt;
    if (first == QLatin1String("de"))
        return kLayoutGerman;
    if (first == QLatin1String("es"))
        return kLayoutSpanish;
    return kLayoutEnglishUs;
}

namespace {

// A locale's language id as the id of the keyboard layout that goes with it.
quint16 keyboardIdForLocale(quint16 id)
{
    // A bare language ("de") names no country; a keyboard always has one.
    if ((id & 0xFC00) == 0)
        return quint16(0x0400 | id);
    // Spain's locale is "modern sort" (0x0C0A); its keyboard layout is 0x040A.
    if (id == 0x0C0A)
        return kLayoutSpanish;
    return id;
}

#ifdef KUVO_READ_XKB
// The root window's _XKB_RULES_NAMES, which the X server and setxkbmap keep
// current for the session.
std::optional<QByteArray> x11RulesNames()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return std::nullopt;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return std::nullopt;

    static const char name[] = "_XKB_RULES_NAMES";
    xcb_intern_atom_reply_t* atomReply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(name) - 1, name), nullptr);
    if (!atomReply)
        return std::nullopt;
    const xcb_atom_t atom = atomReply->atom;
    std::free(atomReply);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (atom == XCB_ATOM_NONE || !screen)
        return std::nullopt;

    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, screen->root, atom, XCB_ATOM_STRING, 0, 1024), nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<QByteArray> value;
    if (reply->type == XCB_ATOM_STRING && reply->format == 8)
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}
#endif

std::optional<quint16> sessionLayoutId()
{
#ifdef KUVO_READ_XKB
    if (const auto names = x11RulesNames())
        if (const auto layouts = xkbLayoutsFromRulesNames(*names))
            if (const auto id = layoutIdFromXkbLayouts(*layouts))
                return id;
#endif
    // Elsewhere (Wayland and the rest) the input method's locale is the best hint Qt
    // offers; without an input method it is the C locale, which says nothing.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QInputMethod* im = QGuiApplication::inputMethod())
            if (const QLocale locale = im->locale(); locale.language() != QLocale::C)
                return keyboardIdForLocale(langIdFromLocaleName(locale.name()));
    return std::nullopt;
}

} // namespace

quint16 LinuxSystemInfo::keyboardLayoutId()
{
    if (const auto id = sessionLayoutId())
        return *id;
    return keyboardIdForLocale(langIdFromEnvironment());
}

} // namespace kuvo
