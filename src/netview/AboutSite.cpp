#include "netview/AboutSite.h"

#include "network/NetworkFile.h"
#include "res/Readings.h"
#include "textcodec/qt/NarrowText.h"

namespace netview {

std::vector<res::PromptField> AboutFields(const network::About& about) {
    return {{res::Added("Site name"), textcodec::ToQString(about.site), false},
            {res::Added("Technician"), textcodec::ToQString(about.technician), false},
            {res::Added("Notes"), textcodec::ToQString(about.notes), true}};
}

QString AboutFromFields(const std::vector<res::PromptField>& fields, network::About* about) {
    network::About typed;
    std::string* const into[] = {&typed.site, &typed.technician, &typed.notes};
    for (std::size_t i = 0; i < fields.size() && i < std::size(into); ++i) {
        QString text = fields[i].text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        bool lost = false;
        *into[i] = textcodec::ToNarrow(text.trimmed(), &lost);
        if (lost) return res::Added("%1 holds characters the system code page cannot keep.").arg(fields[i].label);
    }
    if (const std::string why = network::AboutProblem(typed); !why.empty()) {
        return res::Added("This cannot be kept in the plan: %1").arg(QString::fromStdString(why));
    }
    *about = std::move(typed);
    return {};
}

res::Prompt AboutPrompt() {
    return {
        res::Added("Who commissions this site? The report shows it, and a plan you save keeps it for the next report."),
        res::Added("Export report"), res::PromptIcon::Question, res::PromptButtons::OkCancel};
}

bool AskAbout(QWidget* parent, std::vector<res::PromptField>& fields) {
    const int answer = res::AskFields(parent, AboutPrompt(), fields, [](const std::vector<res::PromptField>& typed) {
        network::About about;
        return AboutFromFields(typed, &about);
    });
    return answer == res::kIdOk || answer == res::kIdYes;
}

}  // namespace netview
