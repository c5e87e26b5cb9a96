#pragma once
// The movie's options as a project stores them. The settings groups keep plain values in file
// order; these are the places the movie gives meaning to (the creation options and effect
// dialogs write the same places):
//
//   settings block   mouseEffects1[0]  "显示鼠标" (show the pointer)            default 1
//                    mouseEffects1[1]  "添加鼠标阴影" (pointer shadow)          default 1
//                    mouseEffect2      "加亮鼠标" (halo)                        default 0
//                    mouseEffect3      "显示隐藏活动"                            default 0
//                    flashEffects[0]   "开始时淡入影片"                          default 0
//                    flashEffects[1]   "开始时放大影片"                          default 0
//                    flashEffects[2]   "结束时淡出影片"                          default 0
//                    flashEffects[3]   "结束时缩小影片"                          default 0
//                    flashEffects[4]   start with a play button                  default 0
//                    flashEffects[5]   "添加章节索引" (the chapter list)         default 0
//                    flashEffects[6]   halo colour 0x00RRGGBB                    default yellow
//                    flashEffects[7]   click flash                               default 1
//                    mixed[0]          movie background colour 0x00RRGGBB        default 0
//                    mixed[2]          the information panel                     default 0
//                    mixed[3]          click flash size in pixels                default 12
//                    mixed[4]          image quality preset: 0 custom, 1, 2      default 2
//                    flashOutput       compress the movie (player version 6)     default 1
//   trailer          flashEffects1     frame rate, 0 = the default of 20
//                    flashEffects3[0]  custom maximum colours, 0 = true colour
//                    flashEffects3[1]  custom JPEG quality                       default 90
//   control bar      controlBarColours[2] (button) tints the start button
#include "movie/movie_options.h"
#include "project/project.h"

namespace tavlo::movie {

// The options a project asks for; the configuration's advanced options (applyConfig) and
// command-line choices go on top.
MovieOptions movieOptionsOf(const project::Project& project);

// Stores the options back into the project's settings (what a settings dialog does on "确定").
void storeMovieOptions(const MovieOptions& options, project::Project& project);

} // namespace tavlo::movie
