#include "project/language_texts.h"

namespace tavlo::project {

namespace {
Ref slot(Ref old, bool present) {
    return present ? (old ? old : 1) : 0;
}
} // namespace

int languageEntry(const std::vector<LanguageText>& langs, const std::string& name) {
    for (std::size_t i = 0; i < langs.size(); ++i)
        if (langs[i].name == name) return int(i);
    return -1;
}

std::vector<LanguageText> languagesWithCurrent(const FrameNode& f, const std::string& current,
                                               bool evenWithoutEntries) {
    const FrameData& d = f.data;
    std::vector<LanguageText> langs = d.languageTexts;
    int cur = languageEntry(langs, current);
    const bool hasText = d.bubbleText || d.speechText;
    const bool makeOne = evenWithoutEntries || !langs.empty() || (d.speechText && !d.speechText->empty());
    if (cur < 0 && hasText && makeOne) {
        LanguageText e;
        e.name = current;
        langs.push_back(std::move(e));
        cur = int(langs.size()) - 1;
    }
    if (cur >= 0) {
        LanguageText& e = langs[std::size_t(cur)];
        e.text = d.bubbleText.value_or(std::u16string());
        e.plainText = d.bubblePlainText.value_or(std::u16string());
        e.speechText = d.speechText;
        e.record.text = slot(e.record.text, d.bubbleText.has_value());
        e.record.plainText = slot(e.record.plainText, d.bubblePlainText.has_value());
        e.record.bubbleX = f.frame.bubbleX;
        e.record.bubbleY = f.frame.bubbleY;
    }
    return langs;
}

void takeLanguage(FrameNode& n, const std::string& name) {
    FrameData& d = n.data;
    if (d.languageTexts.empty()) return;
    const int cur = languageEntry(d.languageTexts, name);
    d.bubbleText.reset();
    d.bubblePlainText.reset();
    d.speechText.reset();
    if (cur < 0) return;
    const LanguageText& e = d.languageTexts[std::size_t(cur)];
    if (e.record.text) d.bubbleText = e.text;
    if (e.record.plainText) d.bubblePlainText = e.plainText;
    d.speechText = e.speechText;
    n.frame.bubbleX = e.record.bubbleX;
    n.frame.bubbleY = e.record.bubbleY;
}

void switchLanguage(Project& p, int index) {
    LanguageList& l = p.languages();
    if (index < 0 || index > int(l.names.size())) return;
    const std::string from = l.currentName();
    for (const auto& f : p.frames()) f->data.languageTexts = languagesWithCurrent(*f, from, true);
    l.previous = l.current;
    l.current = index;
    const std::string to = l.currentName();
    for (const auto& f : p.frames()) takeLanguage(*f, to);
}

} // namespace tavlo::project
