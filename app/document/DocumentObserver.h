// IDocumentObserver: how the document tells its views what changed.
#pragma once

#include <string>

namespace ovro {

class IDocumentObserver {
public:
    // Hint of a refresh that asks the views to commit pending edits first.
    static constexpr int kCommitEdits = -255;

    virtual ~IDocumentObserver() = default;
    // Refresh every view; hint is the section to show (-1 the document
    // header) or kCommitEdits.
    virtual void OnRefresh(int /*hint*/) {}
    // The document's path and title changed.
    virtual void OnPathChanged(const std::string& /*path*/, bool /*addToRecentList*/) {}
};

}  // namespace ovro
