#pragma once
// The 528-byte frame record. Its layout is also the on-disk frame record of the project file, so
// every field sits at a fixed offset. Reference slots ("Ref") are 4-byte presence or identity
// values, never pointers: the project keeps the objects they stand for beside the record.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace tavlo::project {

static_assert(std::endian::native == std::endian::little,
              "the frame record is stored as it lies in memory: little-endian hosts only");

using Ref = std::uint32_t;

inline constexpr std::int32_t kNoPointer = -99999;    // pointerX/Y, capturedPointerX/Y
inline constexpr std::int16_t kNoPointerEnd = -29999; // pointerEndX/Y (35537 unsigned)
inline constexpr std::uint8_t kNoStyle = 255;         // bubbleStyle, hotspotStyle

struct Frame {
    Ref bubbleText;                        // 0
    Ref bubblePlainText;                   // 4
    std::uint8_t displayTimeSet;           // 8
    std::uint8_t unnamed9[3];              // 9
    std::int32_t deleted;                  // 12
    std::int32_t unnamed16;                // 16
    std::int32_t hotspotOn;                // 20
    std::int32_t displayTime;              // 24
    std::int32_t recordedTime;             // 28
    std::int32_t bubbleTextLength;         // 32
    std::int32_t bubblePlainTextLength;    // 36
    std::int32_t bubbleWidth;              // 40
    std::int32_t bubbleX;                  // 44
    std::int32_t bubbleY;                  // 48
    std::uint32_t bubbleBackColour;        // 52
    std::int32_t bubbleTextColour;         // 56
    std::int32_t bubblePointX;             // 60
    std::int32_t bubblePointY;             // 64
    Ref bubbleFont;                        // 68
    Ref prev;                              // 72
    Ref next;                              // 76
    Ref editedImage;                       // 80
    std::uint8_t editedImageOff;           // 84
    std::uint8_t unnamed85[3];             // 85
    std::int32_t hotspotRect[4];           // 88
    std::int32_t pointerHandle;            // 104
    std::int32_t pointerX;                 // 108
    std::int32_t pointerY;                 // 112
    std::uint8_t pointerInverts;           // 116
    std::uint8_t clickDown;                // 117
    std::uint8_t clickUp;                  // 118
    std::uint8_t keyPress;                 // 119
    Ref soundFile;                         // 120
    std::uint32_t soundFileLength;         // 124
    std::int32_t soundVolume;              // 128
    std::int16_t pointerEndX;              // 132
    std::int16_t pointerEndY;              // 134
    std::uint8_t soundSingleFrame;         // 136
    std::uint8_t soundPlay;                // 137
    std::uint8_t bubbleUnderline;          // 138
    std::uint8_t bubbleShadow;             // 139
    std::uint32_t hotspotColour;           // 140
    std::uint8_t bubbleStyle;              // 144
    std::uint8_t hotspotStyle;             // 145
    std::uint16_t legacyImageSource;       // 146
    std::uint8_t duplicated;               // 148
    std::uint8_t actionGoTo;               // 149
    std::uint8_t hotspotGoTo;              // 150
    std::uint8_t hotspotShowUntil;         // 151
    std::uint8_t bubbleShowUntil;          // 152
    std::uint8_t bubbleOnHover;            // 153
    std::uint8_t hotspotLink;              // 154
    std::uint8_t hotspotAnimateOnHover;    // 155
    Ref hotspotUrl;                        // 156
    std::uint16_t hotspotUrlLength;        // 160
    std::uint8_t unnamed162[2];            // 162
    Ref hotspotTarget;                     // 164
    std::uint16_t hotspotTargetLength;     // 168
    std::uint16_t legacyRefs[4];           // 170
    std::uint8_t unnamed178[2];            // 178
    std::uint32_t bubbleShadowColour;      // 180
    std::uint8_t pointerFlags[3];          // 184
    std::uint8_t hotspotRippleFixed;       // 187
    std::uint8_t unnamed188;               // 188
    std::uint8_t hotspotThickness;         // 189
    std::uint8_t hotspotOverText;          // 190
    std::uint8_t actionLink;               // 191
    std::uint8_t hotspotIgnoreClick;       // 192
    std::uint8_t unnamed193;               // 193
    std::uint8_t capturedClickDown;        // 194
    std::uint8_t capturedClickUp;          // 195
    std::uint8_t clickEdited;              // 196
    std::uint8_t keyRelease;               // 197
    std::uint8_t frameEffect;              // 198
    std::uint8_t unnamed199;               // 199
    std::int32_t unnamed200;               // 200
    Ref cache;                             // 204
    Ref actionUrl;                         // 208
    std::uint16_t actionUrlLength;         // 212
    std::uint8_t unnamed214[2];            // 214
    Ref actionTarget;                      // 216
    std::uint16_t actionTargetLength;      // 220
    std::uint8_t hotspotTransparency;      // 222
    std::uint8_t unnamed223;               // 223
    std::int32_t capturedPointerX;         // 224
    std::int32_t capturedPointerY;         // 228
    std::int32_t unnamed232;               // 232
    std::int32_t frameEffectTime;          // 236
    std::uint8_t unnamed240;               // 240
    std::uint8_t keyImage;                 // 241
    std::uint8_t pointerVisible;           // 242
    std::uint8_t unnamed243;               // 243
    std::uint8_t soundAutoGain;            // 244
    std::uint8_t unnamed245;               // 245
    std::uint8_t syncSoundStart;           // 246
    std::uint8_t clearBackground;          // 247
    std::int32_t soundBackgroundLevel;     // 248
    Ref hotspotMedia;                      // 252
    Ref hotspotMediaCache;                 // 256
    std::int32_t hotspotMediaSize[2];      // 260
    std::int16_t hotspotMediaLength;       // 268
    std::int16_t hotspotFadeIn;            // 270
    std::int16_t hotspotFadeOut;           // 272
    std::int16_t hotspotMediaMode;         // 274
    std::int32_t unnamed276;               // 276
    std::int16_t hotspotMediaTransparency; // 280
    std::int16_t captureOffset[2];         // 282
    std::uint8_t unnamed286[2];            // 286
    Ref panBackground;                     // 288
    Ref panBackgroundCache;                // 292
    std::int32_t imageSource;              // 296
    std::int32_t actionGoToFrame;          // 300
    std::int32_t hotspotGoToFrame;         // 304
    std::int32_t hotspotShowUntilFrame;    // 308
    std::int32_t bubbleShowUntilFrame;     // 312
    std::int32_t soundNoiseMix;            // 316
    std::int32_t soundGateThreshold;       // 320
    std::int32_t soundGateLevel;           // 324
    float soundGain;                       // 328
    std::int32_t soundDcOffset;            // 332
    std::int32_t syncSoundPosition;        // 336
    Ref syncSoundFirstFrame;               // 340
    std::int32_t syncSoundSerial;          // 344
    std::int32_t movieTime;                // 348
    std::int16_t autoTime;                 // 352
    std::uint8_t actionLinearPlay;         // 354
    std::uint8_t editScope;                // 355
    std::uint8_t editPropagate;            // 356
    std::uint8_t pointerSystemHidden;      // 357
    std::uint8_t unnamed358;               // 358
    std::uint8_t bubbleNavigation;         // 359
    std::uint8_t bubbleAnimated;           // 360
    std::uint8_t bubbleWordWrap;           // 361
    std::uint8_t unnamed362[2];            // 362
    std::int32_t editLastFrame;            // 364
    std::uint8_t editFlag;                 // 368
    std::uint8_t unnamed369[3];            // 369
    Ref soundFileRelative;                 // 372
    std::uint32_t soundFileRelativeLength; // 376
    Ref bubbleAnimation;                   // 380
    std::uint8_t bubbleAlign;              // 384
    std::uint8_t actionResync;             // 385
    std::uint8_t unnamed386;               // 386
    std::uint8_t zoomFull;                 // 387
    std::uint8_t zoomReset;                // 388
    std::uint8_t unnamed389[7];            // 389
    std::int32_t zoomRect[4];              // 396
    std::uint8_t unnamed412[8];            // 412
    std::int32_t typedDisplayTime;         // 420
    std::uint8_t unnamed424[4];            // 424
    std::int16_t hotspotMediaScale[2];     // 428
    std::uint8_t speak;                    // 432
    std::uint8_t unnamed433[4];            // 433
    std::uint8_t soundBackground;          // 437
    std::uint8_t soundSyncSaved;           // 438
    std::uint8_t soundLoop;                // 439
    Ref speechText;                        // 440
    std::int32_t soundLength;              // 444
    std::uint8_t pointerHidden;            // 448
    std::uint8_t unnamed449;               // 449
    std::uint8_t unnamed450[2];            // 450
    std::uint8_t unnamed452;               // 452
    std::uint8_t chapterFlag;              // 453
    std::uint8_t bubbleAdvanced;           // 454
    std::uint8_t chapterMark;              // 455
    std::uint8_t studioMarker;             // 456
    std::uint8_t keyImageCopy;             // 457
    std::uint8_t chunkTrueColour;          // 458
    std::uint8_t chunkCompressed;          // 459
    std::int32_t bubbleContinueOnEnter;    // 460
    Ref chapterTitle;                      // 464
    std::int16_t chapterTitleLength;       // 468
    std::uint8_t unnamed470[2];            // 470
    std::int32_t sourceFile;               // 472
    std::uint8_t unnamed476[4];            // 476
    std::int64_t imageStart;               // 480
    std::int64_t imageEnd;                 // 488
    std::int16_t pointerShapeGroup;        // 496
    std::int8_t bookmark;                  // 498
    std::int8_t quickMark;                 // 499
    std::int32_t frameId;                  // 500
    Ref clip;                              // 504
    Ref clipPrev;                          // 508 (frameId in the file and in memory)
    Ref clipNext;                          // 512 (frameId)
    Ref languageTexts;                     // 516
    Ref snapshot;                          // 520
    std::uint8_t unnamed524[4];            // 524
};

inline constexpr std::size_t kFrameRecordSize = 528;
static_assert(sizeof(Frame) == kFrameRecordSize);
static_assert(alignof(Frame) == 8);

#define TAVLO_AT(field, offset) static_assert(offsetof(Frame, field) == (offset), #field)
TAVLO_AT(bubbleText, 0);
TAVLO_AT(bubblePlainText, 4);
TAVLO_AT(displayTimeSet, 8);
TAVLO_AT(deleted, 12);
TAVLO_AT(unnamed16, 16);
TAVLO_AT(hotspotOn, 20);
TAVLO_AT(displayTime, 24);
TAVLO_AT(recordedTime, 28);
TAVLO_AT(bubbleTextLength, 32);
TAVLO_AT(bubblePlainTextLength, 36);
TAVLO_AT(bubbleWidth, 40);
TAVLO_AT(bubbleX, 44);
TAVLO_AT(bubbleY, 48);
TAVLO_AT(bubbleBackColour, 52);
TAVLO_AT(bubbleTextColour, 56);
TAVLO_AT(bubblePointX, 60);
TAVLO_AT(bubblePointY, 64);
TAVLO_AT(bubbleFont, 68);
TAVLO_AT(prev, 72);
TAVLO_AT(next, 76);
TAVLO_AT(editedImage, 80);
TAVLO_AT(editedImageOff, 84);
TAVLO_AT(hotspotRect, 88);
TAVLO_AT(pointerHandle, 104);
TAVLO_AT(pointerX, 108);
TAVLO_AT(pointerY, 112);
TAVLO_AT(pointerInverts, 116);
TAVLO_AT(clickDown, 117);
TAVLO_AT(clickUp, 118);
TAVLO_AT(keyPress, 119);
TAVLO_AT(soundFile, 120);
TAVLO_AT(soundFileLength, 124);
TAVLO_AT(soundVolume, 128);
TAVLO_AT(pointerEndX, 132);
TAVLO_AT(pointerEndY, 134);
TAVLO_AT(soundSingleFrame, 136);
TAVLO_AT(soundPlay, 137);
TAVLO_AT(bubbleUnderline, 138);
TAVLO_AT(bubbleShadow, 139);
TAVLO_AT(hotspotColour, 140);
TAVLO_AT(bubbleStyle, 144);
TAVLO_AT(hotspotStyle, 145);
TAVLO_AT(legacyImageSource, 146);
TAVLO_AT(duplicated, 148);
TAVLO_AT(actionGoTo, 149);
TAVLO_AT(hotspotGoTo, 150);
TAVLO_AT(hotspotShowUntil, 151);
TAVLO_AT(bubbleShowUntil, 152);
TAVLO_AT(bubbleOnHover, 153);
TAVLO_AT(hotspotLink, 154);
TAVLO_AT(hotspotAnimateOnHover, 155);
TAVLO_AT(hotspotUrl, 156);
TAVLO_AT(hotspotUrlLength, 160);
TAVLO_AT(hotspotTarget, 164);
TAVLO_AT(hotspotTargetLength, 168);
TAVLO_AT(legacyRefs, 170);
TAVLO_AT(bubbleShadowColour, 180);
TAVLO_AT(pointerFlags, 184);
TAVLO_AT(hotspotRippleFixed, 187);
TAVLO_AT(hotspotThickness, 189);
TAVLO_AT(hotspotOverText, 190);
TAVLO_AT(actionLink, 191);
TAVLO_AT(hotspotIgnoreClick, 192);
TAVLO_AT(capturedClickDown, 194);
TAVLO_AT(capturedClickUp, 195);
TAVLO_AT(clickEdited, 196);
TAVLO_AT(keyRelease, 197);
TAVLO_AT(frameEffect, 198);
TAVLO_AT(unnamed200, 200);
TAVLO_AT(cache, 204);
TAVLO_AT(actionUrl, 208);
TAVLO_AT(actionUrlLength, 212);
TAVLO_AT(actionTarget, 216);
TAVLO_AT(actionTargetLength, 220);
TAVLO_AT(hotspotTransparency, 222);
TAVLO_AT(capturedPointerX, 224);
TAVLO_AT(capturedPointerY, 228);
TAVLO_AT(frameEffectTime, 236);
TAVLO_AT(keyImage, 241);
TAVLO_AT(pointerVisible, 242);
TAVLO_AT(soundAutoGain, 244);
TAVLO_AT(syncSoundStart, 246);
TAVLO_AT(clearBackground, 247);
TAVLO_AT(soundBackgroundLevel, 248);
TAVLO_AT(hotspotMedia, 252);
TAVLO_AT(hotspotMediaCache, 256);
TAVLO_AT(hotspotMediaSize, 260);
TAVLO_AT(hotspotMediaLength, 268);
TAVLO_AT(hotspotFadeIn, 270);
TAVLO_AT(hotspotFadeOut, 272);
TAVLO_AT(hotspotMediaMode, 274);
TAVLO_AT(unnamed276, 276);
TAVLO_AT(hotspotMediaTransparency, 280);
TAVLO_AT(captureOffset, 282);
TAVLO_AT(panBackground, 288);
TAVLO_AT(panBackgroundCache, 292);
TAVLO_AT(imageSource, 296);
TAVLO_AT(actionGoToFrame, 300);
TAVLO_AT(hotspotGoToFrame, 304);
TAVLO_AT(hotspotShowUntilFrame, 308);
TAVLO_AT(bubbleShowUntilFrame, 312);
TAVLO_AT(soundNoiseMix, 316);
TAVLO_AT(soundGateThreshold, 320);
TAVLO_AT(soundGateLevel, 324);
TAVLO_AT(soundGain, 328);
TAVLO_AT(soundDcOffset, 332);
TAVLO_AT(syncSoundPosition, 336);
TAVLO_AT(syncSoundFirstFrame, 340);
TAVLO_AT(syncSoundSerial, 344);
TAVLO_AT(movieTime, 348);
TAVLO_AT(autoTime, 352);
TAVLO_AT(actionLinearPlay, 354);
TAVLO_AT(editScope, 355);
TAVLO_AT(editPropagate, 356);
TAVLO_AT(pointerSystemHidden, 357);
TAVLO_AT(bubbleNavigation, 359);
TAVLO_AT(bubbleAnimated, 360);
TAVLO_AT(bubbleWordWrap, 361);
TAVLO_AT(editLastFrame, 364);
TAVLO_AT(editFlag, 368);
TAVLO_AT(soundFileRelative, 372);
TAVLO_AT(soundFileRelativeLength, 376);
TAVLO_AT(bubbleAnimation, 380);
TAVLO_AT(bubbleAlign, 384);
TAVLO_AT(actionResync, 385);
TAVLO_AT(zoomFull, 387);
TAVLO_AT(zoomReset, 388);
TAVLO_AT(zoomRect, 396);
TAVLO_AT(typedDisplayTime, 420);
TAVLO_AT(hotspotMediaScale, 428);
TAVLO_AT(speak, 432);
TAVLO_AT(soundBackground, 437);
TAVLO_AT(soundSyncSaved, 438);
TAVLO_AT(soundLoop, 439);
TAVLO_AT(speechText, 440);
TAVLO_AT(soundLength, 444);
TAVLO_AT(pointerHidden, 448);
TAVLO_AT(chapterFlag, 453);
TAVLO_AT(bubbleAdvanced, 454);
TAVLO_AT(chapterMark, 455);
TAVLO_AT(studioMarker, 456);
TAVLO_AT(keyImageCopy, 457);
TAVLO_AT(chunkTrueColour, 458);
TAVLO_AT(chunkCompressed, 459);
TAVLO_AT(bubbleContinueOnEnter, 460);
TAVLO_AT(chapterTitle, 464);
TAVLO_AT(chapterTitleLength, 468);
TAVLO_AT(sourceFile, 472);
TAVLO_AT(imageStart, 480);
TAVLO_AT(imageEnd, 488);
TAVLO_AT(pointerShapeGroup, 496);
TAVLO_AT(bookmark, 498);
TAVLO_AT(quickMark, 499);
TAVLO_AT(frameId, 500);
TAVLO_AT(clip, 504);
TAVLO_AT(clipPrev, 508);
TAVLO_AT(clipNext, 512);
TAVLO_AT(languageTexts, 516);
TAVLO_AT(snapshot, 520);
#undef TAVLO_AT

// A record with every byte zero (unnamed bytes included).
Frame zeroFrame();

} // namespace tavlo::project
