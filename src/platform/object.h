// The common root of objects that are held by owning lists and handed between
// the elements, the domains and the windows without knowing their class.
#pragma once

namespace zem {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;
};

}  // namespace zem
