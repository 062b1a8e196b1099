#include "document/DocumentObserverList.h"

#include <algorithm>

namespace ovro {

void CDocumentObserverList::Attach(IDocumentObserver* observer)
{
    if (observer != nullptr && !Contains(observer))
        observers_.push_back(observer);
}

void CDocumentObserverList::Detach(IDocumentObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

bool CDocumentObserverList::Contains(const IDocumentObserver* observer) const
{
    return std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
}

// A window may detach itself (or close) while it is told: work on a copy
// and skip those that left meanwhile.
void CDocumentObserverList::OnRefresh(int hint)
{
    const std::vector<IDocumentObserver*> present = observers_;
    for (IDocumentObserver* observer : present) {
        if (Contains(observer))
            observer->OnRefresh(hint);
    }
}

void CDocumentObserverList::OnPathChanged(const std::string& path, bool addToRecentList)
{
    const std::vector<IDocumentObserver*> present = observers_;
    for (IDocumentObserver* observer : present) {
        if (Contains(observer))
            observer->OnPathChanged(path, addToRecentList);
    }
}

}  // namespace ovro
