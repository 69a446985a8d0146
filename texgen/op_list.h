// texgen/op_list.h: every texture operation, once. The opcode enum (Op<Name>), the opcode table
// the validator and the readable form use, the routine declarations and the interpreter's
// dispatch are all expanded from this list, so a new operation is one line here plus its routine
// in an ops_*.cpp file.
//
// X(Name, opcode, Routine, b2, b3, b4, b5, b6, b7, b8): Name is what the readable form writes,
// Routine the function that runs it, and b2..b8 the validator's role of each operand byte:
// V any value (or ignored), L a layer (0..3), C a channel (0..2), S a lattice step (0 or a power
// of two), N a sample count (at least 1). Lines stay in opcode order; the note after each line
// names the ops_*.cpp file that holds its routine.
#pragma once

#define TEXTURE_OPERATIONS(X)                                                    \
  X(FractalNoise, 1, FractalNoise, C, V, V, V, V, V, V)           /* generate */ \
  X(SinePlasma, 2, SinePlasma, V, V, V, V, V, V, C)               /* generate */ \
  X(CellPattern, 3, CellPattern, C, V, V, V, V, V, V)             /* generate */ \
  X(RadialGlow, 4, RadialGlow, V, C, V, V, V, V, V)               /* generate */ \
  X(CubicNoise, 5, CubicNoise, C, S, V, V, V, V, V)               /* generate */ \
  X(Clear, 6, ClearLayer, V, V, V, V, V, V, V)                    /* generate */ \
  X(SineWarp, 10, SineWarp, V, V, V, V, V, V, V)                  /* distort */  \
  X(Scroll, 11, Scroll, V, V, V, V, V, V, V)                      /* distort */  \
  X(Twirl, 12, Twirl, V, V, V, V, V, V, V)                        /* distort */  \
  X(DiagonalRelief, 14, DiagonalRelief, V, V, V, V, V, V, V)      /* distort */  \
  X(Blur, 15, Blur, V, V, V, V, V, V, V)                          /* distort */  \
  X(DisplaceByMap, 17, DisplaceByMap, L, C, V, L, C, V, V)        /* distort */  \
  X(DirectionalSmear, 18, DirectionalSmear, L, C, N, V, V, V, V)  /* distort */  \
  X(SwapChannels, 20, SwapChannels, C, L, C, V, V, V, V)          /* filter */   \
  X(ChannelToGrey, 21, ChannelToGrey, C, V, V, V, V, V, V)        /* filter */   \
  X(CopyChannel, 23, CopyChannel, C, L, C, V, V, V, V)            /* filter */   \
  X(Crossfade, 24, Crossfade, L, V, V, V, V, V, V)                /* filter */   \
  X(Multiply, 25, Multiply, L, V, V, V, V, V, V)                  /* filter */   \
  X(AddSaturate, 26, AddSaturate, L, V, V, V, V, V, V)            /* filter */   \
  X(Lighten, 27, Lighten, L, V, V, V, V, V, V)                    /* filter */   \
  X(Contrast, 30, Contrast, V, V, V, V, V, V, V)                  /* filter */   \
  X(InvertBlue, 31, InvertBlue, V, V, V, V, V, V, V)              /* filter */   \
  X(ShadeByChannel, 32, ShadeByChannel, L, C, V, V, V, V, V)      /* filter */   \
  X(Brightness, 33, Brightness, V, V, V, V, V, V, V)              /* filter */   \
  X(CosineRemap, 34, CosineRemap, C, V, V, V, V, V, V)            /* filter */   \
  X(LevelRange, 35, LevelRange, C, V, V, V, V, V, V)              /* filter */   \
  X(HueSaturation, 36, HueSaturation, V, V, V, V, V, V, V)        /* filter */   \
  X(GradientMap, 37, GradientMap, C, V, V, V, V, V, V)            /* filter */   \
  X(MaskedBlend, 38, MaskedBlend, L, L, C, V, V, V, V)            /* filter */   \
  X(HorizontalRelief, 39, HorizontalRelief, V, V, V, V, V, V, V)  /* distort */  \
  X(Bitmap, 40, Bitmap, V, V, V, V, V, V, V)                      /* generate */
