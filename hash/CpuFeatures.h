#pragma once

// The instruction-set extensions that the engine's fast paths may use, read once per process.
// Each flag also requires the operating system to save the registers it needs (xgetbv).
struct TCpuFeatures {
    bool SSE41;
    bool SSSE3;
    bool SHA;
    bool PCLMUL;
    bool VPCLMUL; // vector carry-less multiply on 256-bit registers (512-bit ones need AVX512 too)
    bool AVX2;
    bool AVX512; // F, DQ, BW and VL together
    bool BMI2;   // BMI1 and BMI2 together
};

// All false when CORVANTH_PORTABLE is set to a non-empty value other than "0", so every fast
// path's portable twin can be run on any machine.
const TCpuFeatures& CpuFeatures();

// Whether a value of CORVANTH_PORTABLE (nullptr when unset) asks for the portable paths.
bool PortableRequested(const char* value);
