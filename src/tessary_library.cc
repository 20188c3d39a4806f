// The shared library is the internal library linked whole; the exports carry
// TESSARY_EXPORT and everything else stays hidden.
