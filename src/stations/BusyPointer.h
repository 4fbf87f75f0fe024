#pragma once

namespace tavimo {

// The program-wide busy pointer of one window's look-up: shown once however
// often set() is called, taken back once however often restore() is called,
// and taken back when the owner goes, so a window that closes mid-look-up
// never leaves the pointer busy.
class BusyPointer {
public:
    BusyPointer() = default;
    ~BusyPointer() { restore(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    void set();
    void restore();
    bool isSet() const { return set_; }

private:
    bool set_ = false;
};

} // namespace tavimo
