#include "Theme/SymbolIcons.h"

#include <QDebug>
#include <QFontDatabase>
#include <QHash>

namespace {

// Material Icons code points (see the font's codepoints list) for each symbol name.
const QHash<QString, char32_t>& symbolTable() {
    static const QHash<QString, char32_t> table = {
        {QStringLiteral("airpods"), 0xf003},                        // earbuds
        {QStringLiteral("app.fill"), 0xe5c3},                       // apps
        {QStringLiteral("arrow.clockwise"), 0xe5d5},                // refresh
        {QStringLiteral("arrow.triangle.2.circlepath"), 0xe86a},    // cached
        {QStringLiteral("arrow.up"), 0xe5d8},                       // arrow_upward
        {QStringLiteral("backward.fill"), 0xe020},                  // fast_rewind
        {QStringLiteral("battery.100"), 0xe1a4},                    // battery_full
        {QStringLiteral("bolt.fill"), 0xea0b},                      // bolt
        {QStringLiteral("cable.connector"), 0xefe6},                // cable
        {QStringLiteral("calendar"), 0xe935},                       // calendar_today
        {QStringLiteral("checkmark.circle"), 0xe92d},               // check_circle_outline
        {QStringLiteral("checkmark.circle.fill"), 0xe86c},          // check_circle
        {QStringLiteral("clock"), 0xe8b5},                          // schedule
        {QStringLiteral("computermouse.fill"), 0xe323},             // mouse
        {QStringLiteral("cpu"), 0xe322},                            // memory
        {QStringLiteral("cup.and.saucer"), 0xefef},                 // coffee
        {QStringLiteral("cup.and.saucer.fill"), 0xe541},            // local_cafe
        {QStringLiteral("desktopcomputer"), 0xe30b},                // desktop_mac
        {QStringLiteral("display"), 0xe30c},                        // desktop_windows
        {QStringLiteral("doc"), 0xe24d},                            // insert_drive_file
        {QStringLiteral("doc.on.clipboard"), 0xe14f},               // content_paste
        {QStringLiteral("dot.radiowaves.left.and.right"), 0xe51e},  // sensors
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002},  // warning
        {QStringLiteral("eye.fill"), 0xe8f4},                       // visibility
        {QStringLiteral("folder"), 0xe2c7},                         // folder
        {QStringLiteral("forward.fill"), 0xe01f},                   // fast_forward
        {QStringLiteral("gearshape"), 0xe8b8},                      // settings
        {QStringLiteral("headphones"), 0xf01f},                     // headphones
        {QStringLiteral("heart"), 0xe87e},                          // favorite_border
        {QStringLiteral("heart.fill"), 0xe87d},                     // favorite
        {QStringLiteral("hourglass"), 0xe88b},                      // hourglass_empty
        {QStringLiteral("hifispeaker"), 0xe32d},                    // speaker
        {QStringLiteral("infinity"), 0xeb3d},                       // all_inclusive
        {QStringLiteral("internaldrive"), 0xe1db},                  // storage
        {QStringLiteral("iphone"), 0xe325},                         // phone_iphone
        {QStringLiteral("keyboard"), 0xe312},                       // keyboard
        {QStringLiteral("keyboard.fill"), 0xe312},                  // keyboard
        {QStringLiteral("laptopcomputer"), 0xe320},                 // laptop_mac
        {QStringLiteral("lock.fill"), 0xe897},                      // lock
        {QStringLiteral("lock.open"), 0xe898},                      // lock_open
        {QStringLiteral("lock.open.fill"), 0xe898},                 // lock_open
        {QStringLiteral("memorychip"), 0xe30d},                     // developer_board
        {QStringLiteral("mic"), 0xe02a},                            // mic_none
        {QStringLiteral("mic.fill"), 0xe029},                       // mic
        {QStringLiteral("music.note"), 0xe405},                     // music_note
        {QStringLiteral("note.text"), 0xf1fc},                      // sticky_note_2
        {QStringLiteral("paperplane.fill"), 0xe163},                // send
        {QStringLiteral("pause.fill"), 0xe034},                     // pause
        {QStringLiteral("play.fill"), 0xe037},                      // play_arrow
        {QStringLiteral("server.rack"), 0xe875},                    // dns
        {QStringLiteral("slider.horizontal.3"), 0xe429},            // tune
        {QStringLiteral("sparkle"), 0xe3e4},                        // flare
        {QStringLiteral("sparkles"), 0xe65f},                       // auto_awesome
        {QStringLiteral("speaker.fill"), 0xe04e},                   // volume_mute
        {QStringLiteral("speaker.wave.2"), 0xe04d},                 // volume_down
        {QStringLiteral("speaker.wave.2.fill"), 0xe050},            // volume_up
        {QStringLiteral("square.dashed"), 0xe22a},                  // border_clear
        {QStringLiteral("timer"), 0xe425},                          // timer
        {QStringLiteral("trackpad.fill"), 0xe913},                  // touch_app
        {QStringLiteral("trash"), 0xe872},                          // delete
        {QStringLiteral("tray.full"), 0xe156},                      // inbox
        {QStringLiteral("wave.3.right"), 0xe1e2},                   // wifi_tethering
        {QStringLiteral("waveform.badge.exclamationmark"), 0xe1b8}, // graphic_eq, with a badge
        {QStringLiteral("waveform.path.ecg"), 0xe6e1},              // show_chart
        {QStringLiteral("xmark"), 0xe5cd},                          // close
        {QStringLiteral("zzz"), 0xe046},                            // snooze
    };
    return table;
}

// The glyphs drawn small over the lower right corner of a symbol the font has no single glyph for.
const QHash<QString, char32_t>& badgeTable() {
    static const QHash<QString, char32_t> table = {
        {QStringLiteral("waveform.badge.exclamationmark"), 0xe002}, // warning
    };
    return table;
}

const QString placeholderName = QStringLiteral("square.dashed");

} // namespace

SymbolIcons::SymbolIcons(QObject* parent)
    : QObject(parent) {
    fontFamily();
}

QString SymbolIcons::fontFamily() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            qWarning("SymbolIcons: the embedded icon font could not be loaded");
            return QStringLiteral("Material Icons");
        }
        return families.constFirst();
    }();
    return family;
}

bool SymbolIcons::contains(const QString& name) {
    return symbolTable().contains(name);
}

QStringList SymbolIcons::knownNames() {
    return symbolTable().keys();
}

char32_t SymbolIcons::codePoint(const QString& name) {
    return symbolTable().value(name, symbolTable().value(placeholderName));
}

char32_t SymbolIcons::badgeCodePoint(const QString& name) {
    return badgeTable().value(name, 0);
}

QString SymbolIcons::badgeGlyph(const QString& name) {
    const char32_t point = badgeCodePoint(name);
    return point ? QString::fromUcs4(&point, 1) : QString();
}

QString SymbolIcons::glyph(const QString& name) {
    if (name.isEmpty())
        return {};
    if (!contains(name))
        qDebug() << "SymbolIcons: no glyph for symbol" << name << "- showing the placeholder";
    const char32_t point = codePoint(name);
    return QString::fromUcs4(&point, 1);
}
