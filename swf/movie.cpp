#include "swf/movie.h"

#include "swf/progress_line.h"

#include <algorithm>
#include <list>

namespace tavlo::swf {

void SwfFrame::place(SwfObject& object) {
    object.place(tags_, timeline_);
}

void SwfFrame::remove(SwfObject& object) {
    object.remove(tags_, timeline_);
}

void SwfFrame::setBackground(Rgb rgb) {
    appendTag(tags_, SetBackgroundColor{rgb});
}

DoAction& SwfFrame::doAction() {
    if (!doAction_) {
        pendingDoAction_ = std::make_unique<Tag>(DoAction{});
        doAction_ = pendingDoAction_.get();
    }
    return *doAction_->as<DoAction>();
}

void SwfFrame::addStep(const ScriptStep& step) {
    step.appendTo(doAction().actions);
}

void SwfFrame::addAction(Action action) {
    doAction().actions.push_back(std::move(action));
}

void SwfFrame::closeActions() {
    if (closed_ || !pendingDoAction_) return;
    tags_.push_back(std::move(pendingDoAction_));
    closed_ = true;
}

FrameTags SwfFrame::takeTags() {
    if (pendingDoAction_) tags_.push_back(std::move(pendingDoAction_));
    closed_ = true;
    return std::move(tags_);
}

SwfFrame& SwfMovie::frame(int i) {
    while (int(frames_.size()) <= i) frames_.push_back(std::make_unique<SwfFrame>(*this));
    frameCount_ = std::max(frameCount_, i + 1);
    return *frames_[size_t(i)];
}

void SwfMovie::addDisplayEntry(uint16_t characterId, Tag* place, uint16_t requestedDepth) {
    depthMap_[characterId].push_back({place, nullptr, requestedDepth});
}

bool SwfMovie::isOnStage(uint16_t characterId) const {
    auto it = depthMap_.find(characterId);
    return it != depthMap_.end() && !it->second.empty() && it->second.back().remove == nullptr;
}

void SwfMovie::attachRemove(uint16_t characterId, Tag* remove) {
    depthMap_[characterId].back().remove = remove;
}

void SwfMovie::depthSort() {
    std::list<DisplayEntry> master;
    for (auto& [id, entries] : depthMap_) {
        auto d = master.begin();
        size_t e = 0;
        while (d != master.end() && e < entries.size()) {
            if (entries[e].requestedDepth < d->requestedDepth)
                master.insert(d, entries[e++]);
            else
                ++d;
        }
        for (; e < entries.size(); ++e) master.push_back(entries[e]);
    }
    std::vector<DisplayEntry> sorted(master.begin(), master.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const DisplayEntry& a, const DisplayEntry& b) {
        return a.requestedDepth < b.requestedDepth;
    });
    uint16_t real = 0;
    for (const DisplayEntry& e : sorted) {
        if (auto* p = e.place->as<PlaceObject2>()) p->depth = real;
        if (auto* p = e.place->as<PlaceObject3>()) p->base.depth = real;
        if (e.remove)
            if (auto* r = e.remove->as<RemoveObject>()) r->depth = real;
        ++real;
    }
    depthMap_.clear();
}

std::vector<FrameTags> SwfMovie::takeFrames() {
    std::vector<FrameTags> out;
    for (int i = 0; i < frameCount_; ++i) out.push_back(frame(i).takeTags());
    frames_.clear();
    frameCount_ = 0;
    depthMap_.clear();
    return out;
}

namespace {

std::string escapeXml(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string metadataXml(const std::string& publisherAddress, const std::string& description) {
    return "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
           "<rdf:Description rdf:about=\"" +
           escapeXml(publisherAddress) +
           "\"><dc:title>Tavlo screen recorder screencast</dc:title><dc:description>" +
           escapeXml(description) + "</dc:description></rdf:Description></rdf:RDF>";
}

SaveResult SwfMovie::save(const std::string& path) {
    depthSort();
    SwfTagList list;
    list.add(FileAttributes{});
    list.add(Metadata{metadataXml(ctx_.publisherAddress, ctx_.metaTag)});
    bool cancelled = false;
    {
        ProgressLine line(ctx_.progress, "Processing frames");
        for (int i = 0; i < frameCount_; ++i) {
            if (line.cancelled()) {
                cancelled = true;
                break;
            }
            for (auto& t : frame(i).takeTags()) list.add(std::move(*t));
            list.add(ShowFrame{});
            line.set(i + 1, frameCount_);
        }
    }
    SaveResult result = list.writeToFile(path, width, height, frameRate, ctx_);
    frames_.clear();
    frameCount_ = 0;
    {
        ProgressLine line(ctx_.progress, "Processing objects");
        list.clear();
        line.set(1, 1);
    }
    if (cancelled && result == SaveResult::Written) result = SaveResult::Cancelled;
    return result;
}

} // namespace tavlo::swf
