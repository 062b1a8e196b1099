// CDocumentObserverList: hands a document's refreshes to every window that
// shows it. The document is given one observer when it is created, before
// its windows exist; the program gives it this list and attaches the
// document window (and whatever else follows the document) later.
#pragma once

#include <string>
#include <vector>

#include "document/DocumentObserver.h"

namespace ovro {

class CDocumentObserverList : public IDocumentObserver {
public:
    void Attach(IDocumentObserver* observer);
    void Detach(IDocumentObserver* observer);
    bool Contains(const IDocumentObserver* observer) const;

    void OnRefresh(int hint) override;
    void OnPathChanged(const std::string& path, bool addToRecentList) override;

private:
    std::vector<IDocumentObserver*> observers_;
};

}  // namespace ovro
