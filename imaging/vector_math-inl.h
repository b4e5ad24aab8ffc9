// The arithmetic rules of the engine's vector paths, for every instruction
// set the passes are compiled for (included once per set by each pass's
// source, after hwy/foreach_target.h). Each lane must give the bytes of the
// one-value-at-a-time rules whatever the set: no fused multiply-add, and
// nothing left to what an instruction does with a value that is not a
// number, a signed zero or an overflow.
#if defined(VYR_IMAGING_VECTOR_MATH_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VYR_IMAGING_VECTOR_MATH_INL_H_
#undef VYR_IMAGING_VECTOR_MATH_INL_H_
#else
#define VYR_IMAGING_VECTOR_MATH_INL_H_
#endif

#include <hwy/highway.h>

#include <cmath>
#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace vector_math {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The lanes of the passes that work in double: as many pixels at a time as
// the registers hold doubles, and the same number of lanes of 64-, 32- and
// 16-bit integers and of bytes for their indices, inputs and results.
using D = hn::ScalableTag<double>;
using DL = hn::Rebind<int64_t, D>;
using DI = hn::Rebind<int32_t, D>;
using D16 = hn::Rebind<int16_t, D>;
using D8 = hn::Rebind<uint8_t, D>;
using V = hn::Vec<D>;

// a < b ? a : b and a > b ? a : b: the right operand unless the left one is
// strictly smaller (larger), so also when either is not a number, and -0 and
// +0 as they come. (The sets' own min and max differ exactly there.)
template <class V>
HWY_INLINE V Lesser(V a, V b) {
  return hn::IfThenElse(hn::Lt(a, b), a, b);
}
template <class V>
HWY_INLINE V Greater(V a, V b) {
  return hn::IfThenElse(hn::Gt(a, b), a, b);
}

// The value a float variable would hold: each double lane rounded to single
// precision, to nearest, and widened again. Doubles at or beyond the midpoint
// between the largest float and 2^128 round to infinity; the emulated sets
// (scalar, EMU128) stop at the largest float instead, so that is put right
// there.
template <class V>
HWY_INLINE V HeldInFloat(V x) {
  const hn::DFromV<V> d;
  const hn::Rebind<float, decltype(d)> df;
  const V held = hn::PromoteTo(d, hn::DemoteTo(df, x));
#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
  const V overflows = hn::Set(d, 0x1.ffffffp127);
  return hn::IfThenElse(hn::Ge(hn::Abs(x), overflows), hn::CopySignToAbs(hn::Set(d, HUGE_VAL), x), held);
#else
  return held;
#endif
}

}  // namespace HWY_NAMESPACE
}  // namespace vector_math
HWY_AFTER_NAMESPACE();

#endif  // VYR_IMAGING_VECTOR_MATH_INL_H_
