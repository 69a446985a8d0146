// vale-tool capture: where the frames and the soundtrack go. A folder of numbered PNG frames
// with soundtrack.wav, or one video file through the ffmpeg command. Either output is complete
// or absent: a capture that fails or is interrupted removes everything it wrote and leaves an
// earlier video at the same name as it was.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A frame as read back: RGB rows, top first, or the framebuffer's own RGBA rows, bottom first,
// which the output turns over on its own threads, off the path of the drawing.
struct CapturedFrame {
  std::vector<uint8_t> pixels;
  bool framebufferRows = false;
};

class CaptureOutput {
 public:
  virtual ~CaptureOutput() = default;
  // The soundtrack of exactly the frames to come, before the first frame.
  virtual bool Begin(std::span<const int16_t> stereo, std::string& error) = 0;
  // The next frame.
  virtual bool Put(CapturedFrame frame, std::string& error) = 0;
  // The storage of a frame the output is done with, for the next frame to be read into, so a
  // capture does not take fresh pages every frame; empty when there is none yet.
  virtual std::vector<uint8_t> Spare() = 0;
  // Completes the output; on false nothing of it is left.
  virtual bool Finish(std::string& error) = 0;
};

// Earlier capture files in `folder` (frame_NNNNNN.png and soundtrack.wav), for the refusal to
// mix two captures in one folder, and for --overwrite, which removes them.
std::vector<std::string> EarlierCaptureFiles(const std::string& folder);

// `createdFolder`: the folder was made for this capture and goes too when it fails.
std::unique_ptr<CaptureOutput> MakeFolderOutput(const std::string& folder, bool createdFolder, int width, int height);

struct VideoSettings {
  std::string path, ffmpeg;
  bool webm = false, matroska = false;
  int width = 0, height = 0, fps = 50, crf = -1;  // crf < 0: the encoder's default
  std::string preset;                              // H.264's speed; empty: fast
};
std::unique_ptr<CaptureOutput> MakeVideoOutput(const VideoSettings& settings);
