// A non-owning reference to "the colour of pixel (x, y)": the only thing the engine knows of pictures.
#pragma once

#include <concepts>
#include <cstdint>
#include <type_traits>

namespace velsaro {

// Calls a callable (x, y) -> colour number (red + 256 x green + 65536 x blue, -1 outside the drawing
// area) without allocating. It refers to the callable, so it must not outlive it: pass it down a call,
// never store it.
class PixelReader {
public:
    template <typename F>
        requires(!std::same_as<std::remove_cvref_t<F>, PixelReader> &&
                 std::is_invocable_r_v<std::int32_t, const F&, int, int>)
    PixelReader(const F& read) // NOLINT(google-explicit-constructor): a lambda is a reader
        : object_(&read), call_([](const void* object, int x, int y) -> std::int32_t {
              return (*static_cast<const F*>(object))(x, y);
          })
    {
    }

    std::int32_t operator()(int x, int y) const { return call_(object_, x, y); }

private:
    const void* object_;
    std::int32_t (*call_)(const void*, int, int);
};

} // namespace velsaro
