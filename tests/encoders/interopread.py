#!/usr/bin/python3
"""Reads a media file as players that are not built on libavformat do, and
prints what they found as one JSON object.

  interopread.py gst FILE   GStreamer's own demuxers (libav's are ranked out):
                            length, streams, declared frame rate, tags, and
                            an accurate seek to the middle.
  interopread.py id3 FILE   mutagen: the ID3 tag's version and frames.
"""
import json
import sys


def gst(path):
    import gi
    gi.require_version('Gst', '1.0')
    from gi.repository import Gst
    Gst.init(None)
    registry = Gst.Registry.get()
    for factory in registry.get_feature_list(Gst.ElementFactory):
        if factory.get_name().startswith('avdemux_'):
            factory.set_rank(Gst.Rank.NONE)

    playbin = Gst.ElementFactory.make('playbin')
    playbin.set_property('uri', Gst.filename_to_uri(path))
    video_sink = Gst.ElementFactory.make('fakesink')
    audio_sink = Gst.ElementFactory.make('fakesink')
    for sink in (video_sink, audio_sink):
        sink.set_property('sync', False)
    playbin.set_property('video-sink', video_sink)
    playbin.set_property('audio-sink', audio_sink)
    bus = playbin.get_bus()
    tags = {}
    demuxers = set()

    def wait_for(kind):
        """Reads the bus up to `kind`; the error's text when one comes first."""
        while True:
            message = bus.timed_pop(30 * Gst.SECOND)
            if message is None:
                return 'no answer in 30 s'
            if message.type == Gst.MessageType.TAG:
                taglist = message.parse_tag()
                for key in ('title', 'artist', 'comment', 'extended-comment'):
                    for i in range(taglist.get_tag_size(key)):
                        tags.setdefault(key, [])
                        value = taglist.get_value_index(key, i)
                        if value not in tags[key]:
                            tags[key].append(value)
            elif message.type == Gst.MessageType.ERROR:
                return message.parse_error()[0].message
            elif message.type == kind and (kind != Gst.MessageType.STATE_CHANGED or message.src == playbin):
                return None

    result = {}
    playbin.set_state(Gst.State.PAUSED)
    error = wait_for(Gst.MessageType.ASYNC_DONE)
    if error:
        playbin.set_state(Gst.State.NULL)
        print(json.dumps({'error': error}))
        return
    for element in playbin.iterate_recurse():
        factory = element.get_factory()
        if factory and 'Demuxer' in factory.get_metadata('klass'):
            demuxers.add(factory.get_name())
    ok, duration = playbin.query_duration(Gst.Format.TIME)
    result['duration'] = duration / Gst.SECOND if ok else None
    result['video'] = playbin.get_property('n-video')
    result['audio'] = playbin.get_property('n-audio')
    if result['video']:
        caps = video_sink.get_static_pad('sink').get_current_caps()
        if caps:
            ok, num, den = caps.get_structure(0).get_fraction('framerate')
            result['framerate'] = '%d/%d' % (num, den) if ok else None
    middle = duration // 2 if result['duration'] else 0
    result['seek'] = playbin.seek_simple(Gst.Format.TIME, Gst.SeekFlags.FLUSH | Gst.SeekFlags.ACCURATE, middle)
    if result['seek']:
        error = wait_for(Gst.MessageType.ASYNC_DONE)
        # Where the prerolled picture (or sound) lies in the stream's own time.
        sample = (video_sink if result['video'] else audio_sink).get_property('last-sample')
        if sample and not error:
            segment = sample.get_segment()
            result['landed'] = segment.to_stream_time(Gst.Format.TIME, sample.get_buffer().pts) / Gst.SECOND
    result['middle'] = middle / Gst.SECOND
    result['demuxers'] = sorted(demuxers)
    result['tags'] = {key: [str(v) for v in values] for key, values in tags.items()}
    playbin.set_state(Gst.State.NULL)
    print(json.dumps(result, ensure_ascii=False))


def id3(path):
    from mutagen.id3 import ID3
    tag = ID3(path)
    frames = {key: str(frame) for key, frame in tag.items()}
    print(json.dumps({'version': list(tag.version), 'frames': frames}, ensure_ascii=False))


if __name__ == '__main__':
    {'gst': gst, 'id3': id3}[sys.argv[1]](sys.argv[2])
