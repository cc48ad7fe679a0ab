#pragma once

// A window that shows catalog texts: Set_Lang assigns all of them, at creation and after a
// language change.
class LanguageAware {
public:
    virtual ~LanguageAware() = default;
    virtual void Set_Lang() = 0;
};
