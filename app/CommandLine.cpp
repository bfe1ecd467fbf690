#include "app/CommandLine.h"

#include "about/Maker.h"

namespace commandLine {

QString helpText() {
    return QStringLiteral(
        "Usage: cuepilot [options]\n"
        "The presenter's board for the on-air studio.\n"
        "\n"
        "Options:\n"
        "  --fullscreen     fill the whole screen (F11 switches back and forth)\n"
        "  --new-instance   start another board even where one runs on this display\n"
        "                   (a second start otherwise brings the running board to the front)\n"
        "  -h, --help       show this help and exit\n"
        "  -v, --version    show the version and exit\n"
        "\n"
        "Qt's own options (-platform, -style, ...) are understood too.\n");
}

QString versionText() {
    return maker::kProductName + QStringLiteral(" ") + maker::kVersion + QLatin1Char('\n');
}

std::optional<QString> earlyAnswer(const QStringList& arguments) {
    for (const QString& a : arguments.mid(1)) {
        if (a == QLatin1String("--")) break;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) return helpText();
        if (a == QLatin1String("--version") || a == QLatin1String("-v")) return versionText();
    }
    return std::nullopt;
}

Parsed parse(const QStringList& arguments) {
    Parsed parsed;
    for (const QString& a : arguments.mid(1)) {
        if (a == QLatin1String("--new-instance"))
            parsed.options.newInstance = true;
        else if (a == QLatin1String("--fullscreen"))
            parsed.options.fullScreen = true;
        else {
            parsed.error = QStringLiteral("cuepilot: unknown argument '%1' (see cuepilot --help)\n").arg(a);
            break;
        }
    }
    return parsed;
}

} // namespace commandLine
