#include "netview/WriteQuestion.h"

#include <map>

#include "res/Readings.h"
#include "textcodec/qt/NarrowText.h"

namespace netview {
namespace {

// "repeater 1 / SX1276 1 / frequency" reads "repeater 1 / SX1276 1: frequency".
QString ChangeName(const std::string& path) {
    const std::size_t cut = path.rfind(" / ");
    if (cut == std::string::npos) return QString::fromStdString(path);
    return QString::fromStdString(path.substr(0, cut)) + QStringLiteral(": ") +
           QString::fromStdString(path.substr(cut + 3));
}

QString Shown(const std::string& narrow) {
    return narrow.empty() ? res::Added("(none)") : textcodec::ToQString(narrow);
}

}  // namespace

QString WriteQuestion(const std::vector<network::WriteItem>& items, const network::Site& live, bool stopsService) {
    std::map<std::string, std::string> now;
    network::ForEachValue(live, [&](const std::string& path, const network::Value& v) { now[path] = v.text; });
    QString changes;
    QString lines;
    int count = 0;
    for (const network::WriteItem& item : items) {
        if (!item.problem.empty()) {
            changes += res::Added("%1: cannot write: %2\n")
                           .arg(QString::fromStdString(item.module), QString::fromStdString(item.problem));
            continue;
        }
        lines += textcodec::ToQString(item.setLine).trimmed() + QLatin1Char('\n');
        // A SET carries every value of its module; the ones it does not change are not news.
        for (std::size_t i = 0; i < item.paths.size() && i < item.expected.size(); ++i) {
            const std::string& before = now[item.paths[i]];
            if (network::SameValue(before, item.expected[i])) continue;
            changes +=
                QStringLiteral("%1 %2 → %3\n").arg(ChangeName(item.paths[i]), Shown(before), Shown(item.expected[i]));
            ++count;
        }
    }
    QString text = res::Added("Write %1 change(s) to the gateway?\n\n").arg(count) + changes;
    if (stopsService) {
        text += res::Added(
            "\nThe gateway's service is stopped first. Start it again at the end?\n"
            "Yes: write, then start it again. No: write and leave it stopped. Cancel: write nothing.\n");
    }
    text += res::Added("\nDetails: these lines are sent, each followed by a GET that reads it back:\n") + lines;
    return text;
}

}  // namespace netview
