#include "res/Readings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTranslator>
#include <memory>

#include "res/Settings.h"

namespace res {
namespace {

const QString kLanguageKey = QStringLiteral("language");
const QString kEnglish = QStringLiteral("en");
// The English translation is built into the program as a resource.
const QString kEnglishFile = QStringLiteral(":/i18n/veskora_en.qm");

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

}  // namespace

QString Reading(const char* text) { return QCoreApplication::translate(kReadingContext, text); }

QString Reading(const QString& text) { return Reading(text.toUtf8().constData()); }

Language SavedLanguage() {
    return res::OpenSettings()->value(kLanguageKey).toString() == kEnglish ? Language::English : Language::Korean;
}

void SaveLanguage(Language language) {
    res::OpenSettings()->setValue(kLanguageKey, language == Language::English ? kEnglish : QStringLiteral("ko"));
}

bool ApplyLanguage(Language language) {
    std::unique_ptr<QTranslator>& installed = Installed();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (language == Language::Korean) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(kEnglishFile)) return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace res
