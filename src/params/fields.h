#pragma once
// The parameter set's and teach table's fields read and written in place in
// the tool's copy of them (layout: wire/param_fields.h).
#include <cstdint>

#include "params/state.h"
#include "wire/param_fields.h"

namespace bx::param {

inline uint16_t get(const ParamState& p, int off) { return get(p.set, off); }
inline int32_t get32(const ParamState& p, int off) { return get32(p.set, off); }
inline void set(ParamState& p, int off, uint16_t v) { set(p.set, off, v); }
inline void set32(ParamState& p, int off, int32_t v) { set32(p.set, off, v); }

inline uint8_t* row(ParamState& p, int r) { return row(p.teach, r); }
inline const uint8_t* row(const ParamState& p, int r) { return row(p.teach, r); }
inline uint16_t rowGet(const ParamState& p, int r, int off) { return rowGet(p.teach, r, off); }
inline int16_t rowGetS(const ParamState& p, int r, int off) { return rowGetS(p.teach, r, off); }
inline int32_t rowGet32(const ParamState& p, int r, int off) { return rowGet32(p.teach, r, off); }
inline void rowSet(ParamState& p, int r, int off, uint16_t v) { rowSet(p.teach, r, off, v); }
inline void rowSet32(ParamState& p, int r, int off, int32_t v) { rowSet32(p.teach, r, off, v); }

}  // namespace bx::param
