# Writes the finish chime, a short two-note bell (G5 then C6, about 0.9 s),
# as 16-bit mono PCM WAV at 44.1 kHz. Run with cmake -P:
#   -DFFMPEG=<path or empty> -DOUTPUT=<file>
# ffmpeg writes to a side file that is renamed only when it succeeded, so a
# failed run never leaves a truncated sound.wav that looks finished.

if(NOT OUTPUT)
  message(FATAL_ERROR "generate-chime.cmake: OUTPUT is not set")
endif()

# The configure step may have run on a machine state without ffmpeg; look again.
if(NOT FFMPEG OR NOT EXISTS "${FFMPEG}")
  unset(FFMPEG)
  find_program(SONVERA_CHIME_FFMPEG NAMES ffmpeg)
  set(FFMPEG "${SONVERA_CHIME_FFMPEG}")
endif()
if(NOT FFMPEG)
  message(FATAL_ERROR
    "ffmpeg was not found; the build needs it to make sound.wav, and Sonvera needs it to convert. "
    "Install the Debian package 'ffmpeg' (it is in scripts/install-deps.sh: run that script, or "
    "sudo apt-get install ffmpeg) and build again.")
endif()

# Each note: a sine with a quieter octave partial, a 5 ms attack (no click)
# and an exponential decay; the second note enters at 0.14 s. The closing
# fade brings the tail to silence before the end.
set(note1 "(sin(2*PI*783.99*t)+0.25*sin(2*PI*1567.98*t)*exp(-6*t))*exp(-4.5*t)*min(1,t/0.005)")
set(note2 "gte(t,0.14)*(sin(2*PI*1046.5*t)+0.25*sin(2*PI*2093*t)*exp(-6*(t-0.14)))*exp(-4*(t-0.14))*min(1,(t-0.14)/0.005)")
set(partial "${OUTPUT}.part")
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")

execute_process(
  COMMAND "${FFMPEG}" -hide_banner -loglevel error -nostdin -y
          -f lavfi -i "aevalsrc='0.26*${note1}+0.26*${note2}':s=44100:d=0.9"
          -af "afade=t=out:st=0.6:d=0.3"
          -ac 1 -c:a pcm_s16le -bitexact -map_metadata -1 -f wav "${partial}"
  RESULT_VARIABLE result
  ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "ffmpeg (${FFMPEG}) could not write the finish chime: ${result}\n${errors}")
endif()
file(RENAME "${partial}" "${OUTPUT}")
