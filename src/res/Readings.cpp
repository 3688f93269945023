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
// Both translations are built into the program as resources.
const QString kEnglishFile = QStringLiteral(":/i18n/veskora_en.qm");
const QString kKoreanFile = QStringLiteral(":/i18n/veskora_ko.qm");

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

}  // namespace

QString Reading(const char* text) { return QCoreApplication::translate(kReadingContext, text); }

QString Reading(const QString& text) { return Reading(text.toUtf8().constData()); }

QString Added(const char* text) { return QCoreApplication::translate(kAddedContext, text); }

Language SavedLanguage() {
    return res::OpenSettings()->value(kLanguageKey).toString() == kEnglish ? Language::English : Language::Korean;
}

void SaveLanguage(Language language) {
    res::OpenSettings()->setValue(kLanguageKey, language == Language::English ? kEnglish : QStringLiteral("ko"));
}

void ClearReading() {
    std::unique_ptr<QTranslator>& installed = Installed();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
}

bool ApplyLanguage(Language language) {
    ClearReading();
    std::unique_ptr<QTranslator>& installed = Installed();
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(language == Language::English ? kEnglishFile : kKoreanFile)) return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace res
