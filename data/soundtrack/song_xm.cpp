// Output stage of the song compiler: hands the compiled song to the module writer, one
// 16-bit no-loop sample per instrument.
#include "data/soundtrack/song_xm.h"

#include "music/xm_writer.h"

XmModule SongToXm(const SongModule& song, std::span<const std::vector<int16_t>> samples) {
  XmModule xm;
  xm.name = song.name;
  xm.trackerName = "vale song compiler";
  xm.restartPosition = static_cast<uint16_t>(song.restart);
  xm.channels = static_cast<uint16_t>(song.channels);
  xm.flags = static_cast<uint16_t>(song.flags);
  xm.tempo = static_cast<uint16_t>(song.tempo);
  xm.bpm = static_cast<uint16_t>(song.bpm);
  xm.orders = song.orders;
  for (const SongPattern& p : song.patterns) {
    XmPattern pattern;
    pattern.rows = p.rows;
    for (const SongCell& c : p.cells) pattern.cells.push_back({c.note, c.instrument, c.volume, c.effect, c.parameter});
    xm.patterns.push_back(std::move(pattern));
  }
  for (size_t i = 0; i < song.instruments.size(); ++i) {
    const SongInstrument& ins = song.instruments[i];
    XmSample sample;
    sample.name = ins.name;
    sample.length = ins.length;
    sample.volume = ins.volume;
    sample.finetune = ins.finetune;
    sample.panning = ins.panning;
    sample.relativeNote = ins.relativeNote;
    sample.sixteenBit = true;
    if (i < samples.size()) {
      sample.data = samples[i];
      sample.length = static_cast<uint32_t>(samples[i].size());
    }
    XmInstrument instrument;
    instrument.name = ins.name;
    instrument.samples.push_back(std::move(sample));
    xm.instruments.push_back(std::move(instrument));
  }
  return xm;
}

std::vector<uint8_t> WriteSongXm(const SongModule& song, std::span<const std::vector<int16_t>> samples) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!WriteXmModule(SongToXm(song, samples), bytes, error)) bytes.clear();
  return bytes;
}
