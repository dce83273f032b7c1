// Live sound through a PulseAudio server: the server asks for samples on the stream's
// thread and the synthesizer renders them there, straight into the server's buffer.
// Entry point: PulseOutput::Start.
#include "native/midi/pulseoutput.h"

#include <pulse/pulseaudio.h>

#include "native/midi/synth.h"

namespace midi {
namespace {

pa_proplist* OurProperties() {
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, kAudioClientName);
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kAudioIconName);
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kAudioIconName);
  pa_proplist_sets(properties, PA_PROP_MEDIA_ICON_NAME, kAudioIconName);
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
  return properties;
}

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::Start(SynthEngine& engine, double sampleRate,
                                                std::string& error) {
  std::unique_ptr<PulseOutput> output(new PulseOutput(engine));
  if (!output->Connect(sampleRate, error)) return nullptr;
  return output;
}

bool PulseOutput::Connect(double sampleRate, std::string& error) {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr || pa_threaded_mainloop_start(loop_) < 0) {
    error = "cannot start the sound server's event loop";
    return false;
  }
  pa_threaded_mainloop_lock(loop_);
  pa_proplist* properties = OurProperties();
  context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_),
                                          kAudioClientName, properties);
  bool ready = false;
  if (context_ == nullptr) {
    error = "cannot talk to the sound server";
  } else {
    pa_context_set_state_callback(context_, OnContextState, this);
    // Never start a server: one the desktop does not run would outlive us.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
      error = std::string("no sound server (") + pa_strerror(pa_context_errno(context_)) + ")";
    } else if (WaitForContext(error)) {
      const pa_sample_spec spec = {PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(sampleRate), 2};
      stream_ = pa_stream_new_with_proplist(context_, kAudioClientName, &spec, nullptr,
                                            properties);
      if (stream_ == nullptr) {
        error = std::string("cannot make a sound stream (") +
                pa_strerror(pa_context_errno(context_)) + ")";
      } else {
        pa_stream_set_state_callback(stream_, OnStreamState, this);
        pa_stream_set_write_callback(stream_, OnWritable, this);
        // tlength with ADJUST_LATENCY bounds the buffer and the sink's latency together.
        pa_buffer_attr attributes;
        attributes.maxlength = static_cast<uint32_t>(-1);
        attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kAudioLatencyUs, &spec));
        attributes.prebuf = static_cast<uint32_t>(-1);
        attributes.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kAudioLatencyUs / 4, &spec));
        attributes.fragsize = static_cast<uint32_t>(-1);
        if (pa_stream_connect_playback(stream_, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                       nullptr, nullptr) < 0) {
          error = std::string("cannot play on the sound server (") +
                  pa_strerror(pa_context_errno(context_)) + ")";
        } else {
          ready = WaitForStream(error);
        }
      }
    }
  }
  pa_proplist_free(properties);
  pa_threaded_mainloop_unlock(loop_);
  return ready;
}

bool PulseOutput::WaitForContext(std::string& error) {
  for (;;) {
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_READY) return true;
    if (!PA_CONTEXT_IS_GOOD(state)) {
      error = std::string("no sound server (") + pa_strerror(pa_context_errno(context_)) + ")";
      return false;
    }
    pa_threaded_mainloop_wait(loop_);
  }
}

bool PulseOutput::WaitForStream(std::string& error) {
  for (;;) {
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_READY) return true;
    if (!PA_STREAM_IS_GOOD(state)) {
      error = std::string("the sound server refused the stream (") +
              pa_strerror(pa_context_errno(context_)) + ")";
      return false;
    }
    pa_threaded_mainloop_wait(loop_);
  }
}

void PulseOutput::OnContextState(pa_context*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::OnStreamState(pa_stream*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

// The server wants `bytes` more: render them into its own buffer (no copy).
void PulseOutput::OnWritable(pa_stream* stream, size_t bytes, void* self) {
  PulseOutput* output = static_cast<PulseOutput*>(self);
  constexpr size_t kFrameBytes = 2 * sizeof(float);
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    size_t size = bytes;
    if (pa_stream_begin_write(stream, &data, &size) < 0 || data == nullptr) return;
    const size_t frames = size / kFrameBytes;
    if (frames == 0) {
      pa_stream_cancel_write(stream);
      return;
    }
    float* samples = static_cast<float*>(data);
    output->engine_.RenderFloat(samples, samples + 1, static_cast<uint32_t>(frames), 2);
    pa_stream_write(stream, data, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
    bytes -= frames * kFrameBytes;
  }
}

PulseOutput::~PulseOutput() {
  // Once the loop has stopped no callback can touch the synthesizer any more.
  if (loop_ != nullptr) pa_threaded_mainloop_stop(loop_);
  if (stream_ != nullptr) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
  if (context_ != nullptr) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_ != nullptr) pa_threaded_mainloop_free(loop_);
}

}  // namespace midi
