#include "project/settings_block.h"

#include <algorithm>

namespace tavlo::project {

namespace {

template <std::size_t N> void putInts(SectionWriter& w, const std::array<int, N>& a) {
    for (int v : a) w.integer(v);
}
template <std::size_t N> bool getInts(SectionReader& r, std::array<int, N>& a) {
    for (int& v : a)
        if (!r.integer(v)) return false;
    return true;
}

void putRect(SectionWriter& w, const Rect& rc) {
    w.integer(rc.left);
    w.integer(rc.top);
    w.integer(rc.right);
    w.integer(rc.bottom);
}
bool getRect(SectionReader& r, Rect& rc) {
    return r.integer(rc.left) && r.integer(rc.top) && r.integer(rc.right) && r.integer(rc.bottom);
}

bool getColour(SectionReader& r, std::uint32_t& c) {
    long long v;
    if (!r.integer(v)) return false;
    c = std::uint32_t(v);
    return true;
}

void putNames(SectionWriter& w, const std::array<std::array<std::int8_t, 32>, 8>& names) {
    for (const auto& n : names)
        for (std::int8_t b : n) w.integer(b);
}
bool getNames(SectionReader& r, std::array<std::array<std::int8_t, 32>, 8>& names) {
    for (auto& n : names)
        for (std::int8_t& b : n) {
            int v;
            if (!r.integer(v)) return false;
            b = std::int8_t(v);
        }
    return true;
}

} // namespace

void writeSettingsBlock(SectionWriter& w, const ProjectDefaults& d, const SettingsBlock& s, SettingsForm form,
                        int version) {
    const bool project = form == SettingsForm::Project;
    w.integer(std::int32_t(d.bubbleTextColour));
    w.integer(std::int32_t(d.bubbleBackColour));
    w.integer(std::int32_t(d.hotspotColour));
    w.integer(std::int32_t(d.bubbleShadowColour));
    w.record(d.bubbleFont);
    w.integer(d.bubbleUnderline);
    w.integer(d.bubbleShadow);
    putInts(w, d.pointerFlags);
    w.integer(d.hotspotThickness);
    if (project) {
        putRect(w, d.hotspotRect);
        w.integer(s.soundRecordingOption1);
    }
    w.integer(std::int32_t(d.furtherColour));
    if (project) {
        w.integer(s.capturedTrueColour);
        w.integer(s.soundRecordingOption2);
        putNames(w, s.quickMarkNames);
    }
    w.integer(d.hotspotTransparency);
    putInts(w, s.mouseEffects1);
    w.text(s.editWindowPath);
    w.integer(s.mouseEffect2);
    w.text(s.recorderText1);
    w.integer(s.recorderValue1);
    w.text(s.recorderText2);
    putInts(w, s.flashEffects);
    w.integer(s.mouseEffect3);
    w.integer(s.htmlSetting);
    for (const std::string& t : s.soundRecordingTexts) w.text(t);
    putInts(w, s.controlBar);
    putInts(w, s.soundGroup1);
    w.integer(s.flashOutput);
    putInts(w, s.soundGroup2);
    if (version >= kSettingsCodecSince) {
        w.integer(s.videoExportValue);
        w.text(s.codecName);
        std::array<std::uint32_t, 11> words = s.compressor.words;
        words[7] = std::uint32_t(s.compressor.formatBlock.size());
        words[9] = std::uint32_t(s.compressor.parameterBlock.size());
        for (std::uint32_t v : words) w.u32(v);
        w.raw(s.compressor.formatBlock.data(), s.compressor.formatBlock.size());
        w.raw(s.compressor.parameterBlock.data(), s.compressor.parameterBlock.size());
    }
    if (project) putInts(w, s.projectValues);
    putInts(w, s.mixed);
    putInts(w, s.executable);
    for (const std::string& t : s.executableTexts) w.text(t);
    if (version >= kSettingsLanguagesSince) {
        const LanguageList& l = s.languages;
        const std::size_t n = std::min<std::size_t>(l.names.size(), LanguageList::kSlots - 1);
        w.integer(std::int64_t(n));
        for (std::size_t i = 0; i < n; ++i) w.text(l.names[i]);
        w.integer(l.current);
        w.integer(l.previous);
    }
}

bool readSettingsBlock(SectionReader& r, int version, ProjectDefaults& dOut, SettingsBlock& sOut,
                       SettingsForm form) {
    const bool project = form == SettingsForm::Project;
    ProjectDefaults d = dOut;
    SettingsBlock s = sOut;
    bool ok = getColour(r, d.bubbleTextColour) && getColour(r, d.bubbleBackColour) &&
              getColour(r, d.hotspotColour) && getColour(r, d.bubbleShadowColour) && r.record(d.bubbleFont) &&
              r.integer(d.bubbleUnderline) && r.integer(d.bubbleShadow) && getInts(r, d.pointerFlags) &&
              r.integer(d.hotspotThickness);
    if (ok && project) ok = getRect(r, d.hotspotRect) && r.integer(s.soundRecordingOption1);
    ok = ok && getColour(r, d.furtherColour);
    if (ok && project)
        ok = r.integer(s.capturedTrueColour) && r.integer(s.soundRecordingOption2) &&
             getNames(r, s.quickMarkNames);
    ok = ok && r.integer(d.hotspotTransparency) && getInts(r, s.mouseEffects1) && r.text(s.editWindowPath) &&
         r.integer(s.mouseEffect2) && r.text(s.recorderText1) && r.integer(s.recorderValue1) &&
         r.text(s.recorderText2) && getInts(r, s.flashEffects) && r.integer(s.mouseEffect3) &&
         r.integer(s.htmlSetting);
    for (std::string& t : s.soundRecordingTexts) ok = ok && r.text(t);
    ok = ok && getInts(r, s.controlBar) && getInts(r, s.soundGroup1) && r.integer(s.flashOutput) &&
         getInts(r, s.soundGroup2);
    if (ok && version >= kSettingsCodecSince) {
        ok = r.integer(s.videoExportValue) && r.text(s.codecName);
        for (std::uint32_t& v : s.compressor.words) ok = ok && r.u32(v);
        ok = ok && r.bytes(s.compressor.formatBlock, s.compressor.words[7]) &&
             r.bytes(s.compressor.parameterBlock, s.compressor.words[9]);
    }
    if (ok && project) ok = getInts(r, s.projectValues);
    ok = ok && getInts(r, s.mixed) && getInts(r, s.executable);
    for (std::string& t : s.executableTexts) ok = ok && r.text(t);
    if (ok && version >= kSettingsLanguagesSince) {
        int n = 0;
        ok = r.count(n, LanguageList::kSlots - 1, 1);
        s.languages.names.assign(std::size_t(ok ? n : 0), {});
        for (std::string& name : s.languages.names) ok = ok && r.text(name);
        ok = ok && r.integer(s.languages.current) && r.integer(s.languages.previous);
        if (ok && (s.languages.current < 0 || s.languages.current > n)) s.languages.current = 0;
        if (ok && (s.languages.previous < 0 || s.languages.previous > n)) s.languages.previous = 0;
    }
    if (!ok || !r.ok()) return false;
    dOut = d;
    sOut = s;
    return true;
}

} // namespace tavlo::project
