#pragma once
// Scoped cursor overrides. The application-wide override cursor is a stack; these guards push on
// construction and pop exactly once, so a failure path can never leave the busy cursor behind.

namespace platform {

// Shows the busy cursor until destroyed or restore() is called.
class ScopedWaitCursor {
public:
    ScopedWaitCursor();
    ~ScopedWaitCursor();
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;
    // Ends the busy cursor early; later calls and the destructor do nothing.
    void restore();
    bool active() const { return m_active; }

private:
    bool m_active = false;
};

// While a busy cursor is shown, puts the normal arrow over it (used around modal dialogs so the user is not
// asked for input under a busy cursor). Does nothing when no override cursor is active.
class ScopedArrowCursor {
public:
    ScopedArrowCursor();
    ~ScopedArrowCursor();
    ScopedArrowCursor(const ScopedArrowCursor&) = delete;
    ScopedArrowCursor& operator=(const ScopedArrowCursor&) = delete;

private:
    bool m_active = false;
};

} // namespace platform
