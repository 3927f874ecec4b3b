#pragma once
// Small owners for Win32 resources: each handle, lock, opening and COM
// reference is released when its owner goes, also when an error passes.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace kaveto {

// Owns one value of type T and hands it to Close when it goes. Move-only, so
// nothing is released twice. `InvalidBits` is the "no value" value as an
// integer: a handle such as INVALID_HANDLE_VALUE is no constant expression,
// so it cannot be a template argument itself.
template <typename T, auto Close, std::intptr_t InvalidBits = 0>
class Unique {
    static T MakeInvalid() {
        if constexpr (std::is_pointer_v<T>) return reinterpret_cast<T>(InvalidBits);
        else return static_cast<T>(InvalidBits);
    }
    inline static const T Invalid = MakeInvalid();

public:
    Unique() = default;
    explicit Unique(T value) : value_(value) {}
    Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Invalid));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        if (value_ != Invalid) Close(value_);
        value_ = value;
    }

private:
    T value_ = Invalid;
};

inline void CloseHandleValue(HANDLE h) { ::CloseHandle(h); }
inline void GlobalFreeValue(HGLOBAL h) { ::GlobalFree(h); }
inline void DestroyWindowValue(HWND h) { ::DestroyWindow(h); }
inline void DestroyMenuValue(HMENU h) { ::DestroyMenu(h); }
inline void DeleteObjectValue(HGDIOBJ h) { ::DeleteObject(h); }
inline void FindCloseValue(HANDLE h) { ::FindClose(h); }

using UniqueHandle = Unique<HANDLE, CloseHandleValue>;
using UniqueFileHandle = Unique<HANDLE, CloseHandleValue, -1>;  // INVALID_HANDLE_VALUE
using UniqueHGlobal = Unique<HGLOBAL, GlobalFreeValue>;
using UniqueWindow = Unique<HWND, DestroyWindowValue>;
using UniqueMenu = Unique<HMENU, DestroyMenuValue>;
using UniqueGdiObject = Unique<HGDIOBJ, DeleteObjectValue>;
using UniqueFindHandle = Unique<HANDLE, FindCloseValue, -1>;  // INVALID_HANDLE_VALUE

// A global block locked for as long as the guard lives.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(::GlobalLock(block)) {}
    ~GlobalLockGuard() {
        if (data_) ::GlobalUnlock(block_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* data() const { return data_; }
    // The block's size: every read of the block stays within it.
    SIZE_T size() const { return data_ ? ::GlobalSize(block_) : 0; }

private:
    HGLOBAL block_;
    void* data_;
};

// A COM reference, released when it goes.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(I* p) : p_(p) {}  // takes over a reference
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    static ComPtr AddRefed(I* p) {
        if (p) p->AddRef();
        return ComPtr(p);
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    I** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    I* p_ = nullptr;
};

// A BSTR that a call fills, freed when it goes.
class UniqueBstr {
public:
    UniqueBstr() = default;
    ~UniqueBstr() { ::SysFreeString(text_); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    BSTR* put() {
        ::SysFreeString(std::exchange(text_, nullptr));
        return &text_;
    }
    BSTR get() const { return text_; }
    explicit operator bool() const { return text_ != nullptr; }

private:
    BSTR text_ = nullptr;
};

// A VARIANT, cleared when it goes (which releases what it holds).
class UniqueVariant {
public:
    UniqueVariant() { ::VariantInit(&value_); }
    explicit UniqueVariant(const VARIANT& value) : value_(value) {}  // takes it over
    ~UniqueVariant() { ::VariantClear(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    VARIANT* put() {
        ::VariantClear(&value_);
        return &value_;
    }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

}  // namespace kaveto
