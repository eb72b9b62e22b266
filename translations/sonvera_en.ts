<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>BatchTexts</name>
    <message>
        <source>请先添加一个文件</source>
        <translation>Please add a file first</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>转换失败</source>
        <translation>Conversion Failed</translation>
    </message>
    <message>
        <source>以下文件没有转换成功，它们仍在列表中，再次开始转换即可重试：</source>
        <translation>These files were not converted. They are still in the list: start converting again to retry them.</translation>
    </message>
    <message>
        <source>转换结束。</source>
        <translation>Done.</translation>
    </message>
    <message>
        <source>已停止。</source>
        <translation>Stopped.</translation>
    </message>
</context>
<context>
    <name>FailureTexts</name>
    <message>
        <source>参数无法使用，请检查视频和音频参数后重试</source>
        <translation>The parameters cannot be used; check the video and audio parameters and try again</translation>
    </message>
    <message>
        <source>文件中没有视频，请选择 MP3 格式只转换声音</source>
        <translation>The file has no video; choose MP3 to convert its sound only</translation>
    </message>
    <message>
        <source>文件中没有声音，无法转换成 MP3</source>
        <translation>The file has no sound, so it cannot become an MP3</translation>
    </message>
    <message>
        <source>本机的 ffmpeg 无法解码这个文件（HEVC、AV1 等新编码需要更新版本的 ffmpeg）</source>
        <translation>This computer&apos;s ffmpeg cannot decode the file (newer codecs such as HEVC and AV1 need a newer ffmpeg)</translation>
    </message>
    <message>
        <source>文件已损坏，找不到可以读取的音视频数据</source>
        <translation>The file is damaged: no readable audio or video was found in it</translation>
    </message>
    <message>
        <source>没有找到 ffmpeg，请安装 Debian 软件包 ffmpeg</source>
        <translation>ffmpeg was not found; install the Debian package ffmpeg</translation>
    </message>
    <message>
        <source>%1 意外退出 (信号 %2)</source>
        <translation>%1 ended unexpectedly (signal %2)</translation>
    </message>
    <message>
        <source>没有生成输出文件</source>
        <translation>No output file was made</translation>
    </message>
    <message>
        <source>没有选择输出格式</source>
        <translation>No output format was chosen</translation>
    </message>
    <message>
        <source>视频比特率</source>
        <translation>video bitrate</translation>
    </message>
    <message>
        <source>帧率</source>
        <translation>frame rate</translation>
    </message>
    <message>
        <source>视频尺寸</source>
        <translation>video size</translation>
    </message>
    <message>
        <source>声音频率</source>
        <translation>audio rate</translation>
    </message>
    <message>
        <source>声音比特率</source>
        <translation>audio bitrate</translation>
    </message>
    <message>
        <source>声道</source>
        <translation>channels</translation>
    </message>
    <message>
        <source>截取范围</source>
        <translation>clip range</translation>
    </message>
    <message>
        <source>%1（ffmpeg：%2）</source>
        <translation>%1 (ffmpeg: %2)</translation>
    </message>
    <message>
        <source>%1为空，请填写后重试</source>
        <translation>The %1 is empty; fill it in and try again</translation>
    </message>
    <message>
        <source>%1“%2”无法使用，请检查视频和音频参数后重试</source>
        <translation>The %1 “%2” cannot be used; check the video and audio parameters and try again</translation>
    </message>
    <message>
        <source>本机的 ffmpeg 无法解码其中的声音（%1），需要更新版本的 ffmpeg</source>
        <translation>This computer&apos;s ffmpeg cannot decode the file&apos;s sound (%1); a newer ffmpeg is needed</translation>
    </message>
    <message>
        <source>本机的 ffmpeg 无法解码其中的视频（%1），HEVC、AV1 等新编码需要更新版本的 ffmpeg</source>
        <translation>This computer&apos;s ffmpeg cannot decode the file&apos;s video (%1); newer codecs such as HEVC and AV1 need a newer ffmpeg</translation>
    </message>
    <message>
        <source>%1；选择 MP3 格式仍可以转换其中的声音</source>
        <translation>%1; choose MP3 to still convert its sound</translation>
    </message>
    <message>
        <source>文件已损坏：其中的视频无法读取，请确认它能播放并且是完整的</source>
        <translation>The file is damaged: its video cannot be read; make sure it plays and is complete</translation>
    </message>
    <message>
        <source>文件已损坏：其中的声音无法读取，请确认它能播放并且是完整的</source>
        <translation>The file is damaged: its sound cannot be read; make sure it plays and is complete</translation>
    </message>
    <message>
        <source>源文件在 %1 处中断，可能没有下载完；只转换了前 %2 秒</source>
        <translation>The source file breaks off at %1, perhaps it was not downloaded completely; only its first %2 seconds were converted</translation>
    </message>
    <message>
        <source>%1，已保存为 %2</source>
        <translation>%1, saved as %2</translation>
    </message>
    <message>
        <source>ffmpeg 无法用这些参数转换这个文件，请换一种格式、尺寸或比特率再试（ffmpeg：%1）</source>
        <translation>ffmpeg could not convert the file with these parameters; try another format, size or bitrate (ffmpeg: %1)</translation>
    </message>
    <message>
        <source>转换失败：%1 出错退出（退出码 %2）</source>
        <translation>Conversion failed: %1 exited with status %2</translation>
    </message>
    <message>
        <source>转换失败</source>
        <translation>Conversion failed</translation>
    </message>
    <message>
        <source>无法读取源文件：没有读取权限</source>
        <translation>Cannot read the source file: permission denied</translation>
    </message>
    <message>
        <source>无法读取源文件：%1</source>
        <translation>Cannot read the source file: %1</translation>
    </message>
    <message>
        <source>无法写入输出文件夹 %1：请确认它存在并且可以写入</source>
        <translation>Cannot write to the output folder %1: make sure it exists and is writable</translation>
    </message>
    <message>
        <source>无法写入输出文件夹：请确认它存在并且可以写入</source>
        <translation>Cannot write to the output folder: make sure it exists and is writable</translation>
    </message>
    <message>
        <source>输出文件夹 %1 所在的磁盘已满，请腾出空间或选择其他输出文件夹</source>
        <translation>The disk of the output folder %1 is full; free some space or choose another output folder</translation>
    </message>
    <message>
        <source>输出文件夹所在的磁盘已满，请腾出空间或选择其他输出文件夹</source>
        <translation>The output folder&apos;s disk is full; free some space or choose another output folder</translation>
    </message>
    <message>
        <source>临时文件夹 %1 所在的磁盘已满，请腾出空间后重试</source>
        <translation>The disk of the temporary folder %1 is full; free some space and try again</translation>
    </message>
    <message>
        <source>临时文件夹所在的磁盘已满，请腾出空间后重试</source>
        <translation>The temporary folder&apos;s disk is full; free some space and try again</translation>
    </message>
    <message>
        <source>输出文件夹 %1 不存在，可能在转换时被删除或移走了</source>
        <translation>The output folder %1 does not exist; it may have been deleted or moved during the conversion</translation>
    </message>
    <message>
        <source>输出文件夹不存在，可能在转换时被删除或移走了</source>
        <translation>The output folder does not exist; it may have been deleted or moved during the conversion</translation>
    </message>
    <message>
        <source>转换中的输出文件被其他程序删除了，请重试</source>
        <translation>Another program deleted the unfinished output; try again</translation>
    </message>
    <message>
        <source>ffmpeg 被系统终止（信号 %1），可能是内存不足；请关闭其他程序后重试</source>
        <translation>ffmpeg was ended by the system (signal %1), perhaps for lack of memory; close other programs and try again</translation>
    </message>
    <message>
        <source>打开的文件太多，无法开始转换；请减少同时转换的文件数</source>
        <translation>Too many files are open to start the conversion; convert fewer files at once</translation>
    </message>
    <message>
        <source>源文件不存在，可能已被移动或删除</source>
        <translation>The source file does not exist; it may have been moved or deleted</translation>
    </message>
    <message>
        <source>不是普通文件（可能是文件夹、管道、设备或套接字），无法转换</source>
        <translation>Not a regular file (perhaps a folder, a pipe, a device or a socket), so it cannot be converted</translation>
    </message>
    <message>
        <source>找不到编码程序 %1（%2），请重新安装 Sonvera</source>
        <translation>The encoder %1 cannot be found (%2); reinstall Sonvera</translation>
    </message>
    <message>
        <source>转换被其他程序中止</source>
        <translation>Another program stopped the conversion</translation>
    </message>
    <message>
        <source>无法创建或写入临时文件夹 %1</source>
        <translation>Cannot create or write to the temporary folder %1</translation>
    </message>
    <message>
        <source>无法创建或写入临时文件夹</source>
        <translation>Cannot create or write to the temporary folder</translation>
    </message>
    <message>
        <source>源文件的音视频流不能直接复制到这种格式</source>
        <translation>The source&apos;s video and sound cannot be copied into this format as they are</translation>
    </message>
    <message>
        <source>源文件在 %1 处中断，可能没有下载完；只转换了不到 1 秒</source>
        <translation>The source file breaks off at %1, perhaps it was not downloaded completely; less than a second of it was converted</translation>
    </message>
    <message>
        <source>文件头声称长 %2，实际只有 %1 的内容；已全部转换</source>
        <extracomment>%1 is how long the file&apos;s data lasts, %2 the length its header claims, both as 0:33.</extracomment>
        <translation>the file holds %1 of the %2 its header claims; all of it was converted</translation>
    </message>
    <message>
        <source>不到 1 秒</source>
        <translation>less than a second</translation>
    </message>
    <message>
        <source>系统资源不足，无法启动 %1（%2）；请关闭一些程序或减少同时转换的文件数后重试</source>
        <translation>Not enough system resources to start %1 (%2); close some programs or convert fewer files at once, then try again</translation>
    </message>
</context>
<context>
    <name>Formats</name>
    <message>
        <source>RMVB(RealPlayerRMVB)</source>
        <translation>RMVB(RealPlayerRMVB)</translation>
    </message>
    <message>
        <source>RM(RealPlayerRM)</source>
        <translation>RM(RealPlayerRM)</translation>
    </message>
    <message>
        <source>MPG(MPEG2)</source>
        <translation>MPG(MPEG2)</translation>
    </message>
    <message>
        <source>AVI(Windows Media Player格式)</source>
        <translation>AVI(Windows Media Player)</translation>
    </message>
    <message>
        <source>MP4(高清MPEG4格式)</source>
        <translation>MP4(HD MPEG-4)</translation>
    </message>
    <message>
        <source>MOV(QuickTime格式)</source>
        <translation>MOV(QuickTime)</translation>
    </message>
    <message>
        <source>MP4(手机MP4格式)</source>
        <translation>MP4(Mobile MP4)</translation>
    </message>
    <message>
        <source>3GP(手机3GP格式)</source>
        <translation>3GP(Mobile 3GP)</translation>
    </message>
    <message>
        <source>MP3(纯音频格式)</source>
        <translation>MP3(Audio Only)</translation>
    </message>
</context>
<context>
    <name>ParameterLists</name>
    <message>
        <source>单声道</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>双声道</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>原始大小</source>
        <translation>Original size</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>结束 100%</source>
        <translation>Finished 100%</translation>
    </message>
    <message>
        <source>转换中%1 %2%</source>
        <extracomment>%1 is the spinner glyph, %2 the percentage.</extracomment>
        <translation>Converting %1 %2%</translation>
    </message>
    <message>
        <source>完成 100%</source>
        <translation>Completed 100%</translation>
    </message>
    <message>
        <source>创建中%1 %2%</source>
        <extracomment>%1 is the spinner glyph, %2 the percentage.</extracomment>
        <translation>Encoding %1 %2%</translation>
    </message>
    <message>
        <source>转换中 %1%</source>
        <extracomment>The same without the spinner; %1 is the percentage.</extracomment>
        <translation>Converting %1%</translation>
    </message>
    <message>
        <source>创建中 %1%</source>
        <extracomment>The same without the spinner; %1 is the percentage.</extracomment>
        <translation>Encoding %1%</translation>
    </message>
    <message>
        <source>第 %1/%2 步 %3</source>
        <extracomment>A file converted in two steps: %1 is the step, %2 the number of steps, %3 the progress (&quot;转换中 42%&quot;).</extracomment>
        <translation>Step %1/%2: %3</translation>
    </message>
    <message>
        <source>复制中%1 %2%</source>
        <extracomment>%1 is the spinner glyph, %2 the percentage.</extracomment>
        <translation>Copying %1 %2%</translation>
    </message>
    <message>
        <source>复制中 %1%</source>
        <extracomment>The same without the spinner; %1 is the percentage.</extracomment>
        <translation>Copying %1%</translation>
    </message>
</context>
<context>
    <name>SettingUse</name>
    <message>
        <source>%1 只有声音，不用这一项</source>
        <translation>%1 is sound only and does not use this setting</translation>
    </message>
    <message>
        <source>%1 不用这一项，总是用它自己的值</source>
        <translation>%1 does not use this setting; it always uses its own value</translation>
    </message>
    <message>
        <source>视频尺寸为原始大小时，%1 不用这一项；选一个尺寸即可设置它</source>
        <translation>With the original size, %1 does not use this setting; pick a size to set it</translation>
    </message>
    <message>
        <source>%1 总是保持源文件的画面尺寸</source>
        <translation>%1 always keeps the source&apos;s picture size</translation>
    </message>
    <message>
        <source>%1 不能保持原始大小，请选一个尺寸</source>
        <translation>%1 cannot keep the original size; pick a size</translation>
    </message>
</context>
<context>
    <name>SpaceCheck</name>
    <message>
        <source>临时文件夹 %1 所在的磁盘大约需要 %2，只剩 %3</source>
        <extracomment>%1 is a folder, %2 and %3 sizes such as &quot;1.2 GB&quot;.</extracomment>
        <translation>the disk of the temporary folder %1 needs about %2, and only %3 is free</translation>
    </message>
    <message>
        <source>输出文件夹 %1 所在的磁盘大约需要 %2，只剩 %3</source>
        <extracomment>%1 is a folder, %2 and %3 sizes such as &quot;1.2 GB&quot;.</extracomment>
        <translation>the disk of the output folder %1 needs about %2, and only %3 is free</translation>
    </message>
</context>
<context>
    <name>sonvera::Application</name>
    <message>
        <source>Sonvera，批量视频转换工具。</source>
        <translation>Sonvera, the batch media converter.</translation>
    </message>
    <message>
        <source>要加入列表的文件；文件夹会被搜索其中的 .flv 文件。</source>
        <translation>Files to add to the list; folders are searched for .flv files.</translation>
    </message>
    <message>
        <source>sonvera: 另一个 Sonvera 正在运行，但它没有接收这些文件：%1
请关闭另一个 Sonvera（或者结束它：pkill -x sonvera），然后重新启动 Sonvera。
</source>
        <translation>sonvera: another copy of Sonvera is running, but it did not take the files: %1
Close the other copy (or end it: pkill -x sonvera) and start Sonvera again.
</translation>
    </message>
</context>
<context>
    <name>sonvera::BatchController</name>
    <message>
        <source>有文件没有转换成功，所以电脑没有自动关机。</source>
        <translation>Some files were not converted, so the computer was not powered off.</translation>
    </message>
    <message>
        <source>有文件没有转换成功，所以电脑没有自动睡眠。</source>
        <translation>Some files were not converted, so the computer was not put to sleep.</translation>
    </message>
</context>
<context>
    <name>sonvera::BatchDriver</name>
    <message numerus="yes">
        <source>正在转换 %n 个文件 %1%</source>
        <translation>
            <numerusform>Converting %n file %1%</numerusform>
            <numerusform>Converting %n files %1%</numerusform>
        </translation>
    </message>
    <message>
        <source>无法为它建立链接 (%1)</source>
        <translation>no link to it could be made (%1)</translation>
    </message>
</context>
<context>
    <name>sonvera::BatchNotifier</name>
    <message numerus="yes">
        <source>%n 个文件转换成功</source>
        <translation>
            <numerusform>%n file converted</numerusform>
            <numerusform>%n files converted</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>，%n 个失败</source>
        <translation>
            <numerusform>, %n failed</numerusform>
            <numerusform>, %n failed</numerusform>
        </translation>
    </message>
    <message>
        <source>转换完成</source>
        <translation>Conversion finished</translation>
    </message>
    <message>
        <source>打开输出文件夹</source>
        <translation>Open Output Folder</translation>
    </message>
</context>
<context>
    <name>sonvera::CliOptions</name>
    <message>
        <source>输出格式：0-8 或 %1（默认 0，即 rmvb）。</source>
        <translation>Output format: 0-8 or %1 (default 0, rmvb).</translation>
    </message>
    <message>
        <source>sonvera-cli: %1
运行 &apos;sonvera-cli --help&apos; 查看用法。</source>
        <translation>sonvera-cli: %1
Try &apos;sonvera-cli --help&apos;.</translation>
    </message>
    <message>
        <source>显示本帮助。</source>
        <translation>Show this help.</translation>
    </message>
    <message>
        <source>显示版本。</source>
        <translation>Show the version.</translation>
    </message>
    <message>
        <source>视频比特率，单位 kbit/s（覆盖预设）。</source>
        <translation>Video bitrate in kbit/s (overrides the preset).</translation>
    </message>
    <message>
        <source>帧率（覆盖预设）。</source>
        <translation>Frame rate (overrides the preset).</translation>
    </message>
    <message>
        <source>画面尺寸 宽x高，或者 original（原始大小）保持源文件的尺寸（覆盖预设）。</source>
        <translation>Picture size WxH, or original to keep the source&apos;s (overrides the preset).</translation>
    </message>
    <message>
        <source>声音采样率，单位 Hz（覆盖预设）。</source>
        <translation>Audio sample rate in Hz (overrides the preset).</translation>
    </message>
    <message>
        <source>声音比特率，单位 kbit/s（覆盖预设）。</source>
        <translation>Audio bitrate in kbit/s (overrides the preset).</translation>
    </message>
    <message>
        <source>声道数，1 或 2。</source>
        <translation>Audio channels, 1 or 2.</translation>
    </message>
    <message>
        <source>输出文件夹（默认：%1）。</source>
        <translation>Output folder (default: %1).</translation>
    </message>
    <message>
        <source>仅用于 MP3：只转换 START-END 这一段，时间写作秒数或 h:mm:ss。</source>
        <translation>MP3 only: convert just START-END, each in seconds or h:mm:ss.</translation>
    </message>
    <message>
        <source>显示每个文件的命令行，不执行。</source>
        <translation>Print each file&apos;s command lines, run nothing.</translation>
    </message>
    <message>
        <source>不显示进度。</source>
        <translation>No progress display.</translation>
    </message>
    <message>
        <source>要转换的文件；文件夹会被搜索其中的 .flv 文件。</source>
        <translation>Files to convert; folders are searched for .flv files.</translation>
    </message>
    <message>
        <source>未知的格式 &apos;%1&apos;。%2</source>
        <translation>unknown format &apos;%1&apos;. %2</translation>
    </message>
    <message>
        <source>--channels 只能是 1 或 2，不能是 &apos;%1&apos;</source>
        <translation>--channels takes 1 or 2, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--output 需要一个文件夹</source>
        <translation>--output needs a folder</translation>
    </message>
    <message>
        <source>没有给出输入文件</source>
        <translation>no input file given</translation>
    </message>
    <message>
        <source>Sonvera 的命令行批量转换工具：用与窗口相同的编码器、预设和输出文件名，逐个（或者用 --jobs 同时几个）转换给出的文件。

每个输出文件以源文件命名：基本名、&quot;-&quot;、转换时刻的时分秒、扩展名。从不覆盖已有的文件。

退出码：0 全部转换成功，1 有文件转换失败，2 用法错误或者没有给出、没有找到输入文件，130 被停止（Ctrl-C、SIGTERM、SIGHUP），141 标准输出被关闭。停止时没有转换完的文件保持原样，不留下写了一半的文件。</source>
        <translation>Sonvera&apos;s headless batch converter: converts the given files one after another (or several at once, with --jobs), with the same encoders, presets and output names as the window.

Each file&apos;s output is named after it: base name, &quot;-&quot;, the time of day (hour, minute, second), extension. An existing file is never overwritten.

Exit status: 0 when every file converted, 1 when any file failed, 2 for a usage error or when no input file was given or found, 130 when stopped (Ctrl-C, SIGTERM, SIGHUP), 141 when the standard output was closed. A stopped run leaves the unfinished files unconverted, with nothing half written.</translation>
    </message>
    <message>
        <source>最多同时转换 N 个文件，从列表开头起（默认 1；0 表示每个处理器核心一个，本机为 %1）。</source>
        <translation>Convert up to N files at once, head of the list first (default 1; 0: one per processor core, here %1).</translation>
    </message>
    <message>
        <source>--jobs 需要一个文件数，0 或更大，不是 &apos;%1&apos;</source>
        <translation>--jobs takes a number of files, 0 or more, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>在标准输出上每个事件写一行 JSON（started、progress、converted、failed），供脚本读取；其他文字写到标准错误。</source>
        <translation>Write one line of JSON per event (started, progress, converted, failed) to standard output, for scripts; other text goes to standard error.</translation>
    </message>
    <message>
        <source>%1 不适用：%2</source>
        <translation>%1 does not apply: %2</translation>
    </message>
    <message>
        <source>--json 不能与 --dry-run 一起使用：试运行不转换，没有事件</source>
        <translation>--json cannot be used with --dry-run: a dry run converts nothing, so it has no events</translation>
    </message>
    <message>
        <source>RMVB、RM、MOV、手机 MP4 和 3GP 一步转换：直接读源文件，不经过中间文件，更快，画质也更好。</source>
        <translation>Convert RMVB, RM, MOV, mobile MP4 and 3GP in one step: straight from the source, without an intermediate file; faster, and a better picture.</translation>
    </message>
    <message>
        <source>源文件的音视频流能直接放进输出格式时（H.264/AAC 放进 MP4 和 MOV，MP3 声音放进 MP3）原样复制，不重新编码；此时不使用尺寸和比特率参数。不能复制的文件照常转换。</source>
        <translation>Where the source&apos;s video and sound fit the output format as they are (H.264/AAC into MP4 and MOV, MP3 sound into MP3), copy them instead of encoding them again; sizes and bitrates do not apply then. Files that do not fit are converted as usual.</translation>
    </message>
    <message>
        <source>输出文件的修改时间为转换时间（默认：与源文件相同）。</source>
        <translation>Give outputs the time of the conversion as their modification time (default: the source&apos;s).</translation>
    </message>
    <message>
        <source>文件夹中的文件输出到输出文件夹下相同的子文件夹中（默认：都放在输出文件夹中）。</source>
        <translation>Put the outputs of a folder&apos;s files into the same subfolders under the output folder (default: all in the output folder).</translation>
    </message>
    <message>
        <source>即使估计磁盘空间不够也开始转换（默认：空间不够时不开始，退出码 2）。</source>
        <translation>Start even when the disks seem too full for the batch (default: do not start then, exit status 2).</translation>
    </message>
</context>
<context>
    <name>sonvera::CliRunner</name>
    <message>
        <source>sonvera-cli: 在 &quot;%1&quot; 中没有找到 .flv 文件</source>
        <translation>sonvera-cli: no .flv file found in &quot;%1&quot;</translation>
    </message>
    <message>
        <source>sonvera-cli: 无法读取文件夹 &quot;%1&quot;，其中的文件没有加入</source>
        <translation>sonvera-cli: cannot read the folder &quot;%1&quot;; its files are left out</translation>
    </message>
    <message>
        <source>sonvera-cli: &quot;%1&quot;: 没有这个文件或文件夹</source>
        <translation>sonvera-cli: &quot;%1&quot;: no such file or folder</translation>
    </message>
    <message>
        <source>sonvera-cli: 没有可以转换的文件</source>
        <translation>sonvera-cli: nothing to convert</translation>
    </message>
    <message>
        <source>sonvera-cli: 无法使用输出文件夹 &quot;%1&quot;：%2</source>
        <translation>sonvera-cli: cannot use the output folder &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>sonvera-cli: %1失败：%2: %3</source>
        <translation>sonvera-cli: %1failed: %2: %3</translation>
    </message>
    <message>
        <source>sonvera-cli: 标准输出已关闭，因此停止；正在转换的文件没有转换完</source>
        <translation>sonvera-cli: stopped because the standard output was closed; the file being converted was left unconverted</translation>
    </message>
    <message>
        <source>sonvera-cli: 已停止；正在转换的文件没有转换完</source>
        <translation>sonvera-cli: stopped; the file being converted was left unconverted</translation>
    </message>
    <message>
        <source>sonvera-cli: %1 个转换成功，%2 个失败：</source>
        <translation>sonvera-cli: %1 converted, %2 failed:</translation>
    </message>
    <message>
        <source>  %1: 没有这个文件或文件夹</source>
        <translation>  %1: no such file or folder</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件已转换到 %1</source>
        <translation>
            <numerusform>%n file converted into %1</numerusform>
            <numerusform>%n files converted into %1</numerusform>
        </translation>
    </message>
    <message>
        <source>sonvera-cli: 标准输出已关闭，因此停止；正在转换的那些文件没有转换完</source>
        <translation>sonvera-cli: stopped because the standard output was closed; the files being converted were left unconverted</translation>
    </message>
    <message>
        <source>sonvera-cli: 已停止；正在转换的那些文件没有转换完</source>
        <translation>sonvera-cli: stopped; the files being converted were left unconverted</translation>
    </message>
    <message>
        <source>sonvera-cli: 同时转换的文件数减为 %1（本机不允许 %2 个文件同时转换）</source>
        <translation>sonvera-cli: converting %1 files at once, not %2: this computer lets too few files be open</translation>
    </message>
    <message>
        <source>（直接复制）</source>
        <translation> (copied)</translation>
    </message>
    <message>
        <source>sonvera-cli: 磁盘空间可能不够，没有开始转换：%1。腾出空间、换一个输出文件夹，或者用 --no-space-check 照样开始</source>
        <translation>sonvera-cli: the disk may be too full, so nothing was converted: %1. Free some space, choose another output folder, or start anyway with --no-space-check</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
</context>
<context>
    <name>sonvera::CloseQuestion</name>
    <message>
        <source>正在转换，确定要停止并退出吗？</source>
        <translation>Converting is under way. Stop it and exit?</translation>
    </message>
    <message>
        <source>没有转换完的文件会留在列表中，下次启动时可以恢复。</source>
        <translation>The files not yet converted stay in the list and can be restored at the next start.</translation>
    </message>
    <message>
        <source>继续转换</source>
        <translation>Keep Converting</translation>
    </message>
    <message>
        <source>停止并退出</source>
        <translation>Stop and Exit</translation>
    </message>
</context>
<context>
    <name>sonvera::CommonDialogs</name>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>sonvera::CutOption</name>
    <message>
        <source>--cut 的值是 START-END，例如 30-95 或 0:30-1:35</source>
        <translation>--cut takes START-END, for example 30-95 or 0:30-1:35</translation>
    </message>
    <message>
        <source>--cut：时间写作整秒数、m:ss 或 h:mm:ss（例如 95、1:35、0:01:35）</source>
        <translation>--cut: each time is whole seconds, m:ss or h:mm:ss (for example 95, 1:35, 0:01:35)</translation>
    </message>
    <message>
        <source>--cut：结束时间必须晚于开始时间</source>
        <translation>--cut: the end time must lie after the start time</translation>
    </message>
</context>
<context>
    <name>sonvera::EncoderRunner</name>
    <message>
        <source>Command Line empty</source>
        <translation>Command Line empty</translation>
    </message>
</context>
<context>
    <name>sonvera::FailureSummary</name>
    <message>
        <source>还有 %1 个文件没有转换成功；文件列表中每一行的提示说明了原因。</source>
        <extracomment>After the first files that failed; %1 is how many more failed.</extracomment>
        <translation>Not converted and not listed here: %1 more. The tooltip of each row in the list gives its reason.</translation>
    </message>
</context>
<context>
    <name>sonvera::FeedbackForm</name>
    <message>
        <source>建议和意见</source>
        <translation>Suggestions and Comments</translation>
    </message>
    <message>
        <source>完毕.</source>
        <translation>Sent.</translation>
    </message>
    <message>
        <source>发送失败：%1。请稍后重新发送。</source>
        <translation>Sending failed: %1. Please send it again later.</translation>
    </message>
    <message>
        <source>姓名：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>留言：</source>
        <translation>Message:</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>您的姓名？</source>
        <translation>Your name?</translation>
    </message>
    <message>
        <source>您的意见？</source>
        <translation>Your comment?</translation>
    </message>
    <message>
        <source>正在发送...</source>
        <translation>Sending...</translation>
    </message>
    <message>
        <source>您的姓名</source>
        <translation>Your Name</translation>
    </message>
    <message>
        <source>电子邮箱：</source>
        <translation>EMAIL:</translation>
    </message>
    <message>
        <source>电子邮箱</source>
        <translation>Email</translation>
    </message>
    <message>
        <source>发送你的意见</source>
        <translation>Send your comment</translation>
    </message>
    <message>
        <source>不发送，关闭</source>
        <translation>Close without sending</translation>
    </message>
    <message>
        <source>您的电子邮箱？</source>
        <translation>Your email?</translation>
    </message>
</context>
<context>
    <name>sonvera::FeedbackSender</name>
    <message>
        <source>服务器在 %1 秒内没有回应</source>
        <translation>The server did not answer within %1 seconds</translation>
    </message>
    <message>
        <source>服务器返回 %1 %2</source>
        <translation>The server answered %1 %2</translation>
    </message>
    <message>
        <source>服务器拒绝连接</source>
        <translation>The server refused the connection</translation>
    </message>
    <message>
        <source>找不到服务器 %1</source>
        <translation>Server %1 not found</translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>The connection timed out</translation>
    </message>
    <message>
        <source>服务器中断了连接</source>
        <translation>The server broke off the connection</translation>
    </message>
    <message>
        <source>无法建立安全连接</source>
        <translation>No secure connection could be made</translation>
    </message>
    <message>
        <source>网络不可用</source>
        <translation>The network is not available</translation>
    </message>
    <message>
        <source>网络错误（%1）</source>
        <translation>Network error (%1)</translation>
    </message>
</context>
<context>
    <name>sonvera::FileList</name>
    <message>
        <source>等待</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>转换中</source>
        <translation>Converting</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File Name</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>完成：%1</source>
        <extracomment>%1 is the name of the output file.</extracomment>
        <translation>Done: %1</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>分辨率</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>无法读取这个文件的时长和画面</source>
        <translation>The length and picture of this file cannot be read</translation>
    </message>
    <message>
        <source>已转换为 %1
双击播放</source>
        <extracomment>%1 is the output file&apos;s whole path.</extracomment>
        <translation>Converted to %1
Double-click to play it</translation>
    </message>
    <message>
        <source>完成：%1（%2）</source>
        <extracomment>%1 is the name of the output file, %2 a note on its source.</extracomment>
        <translation>Done: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>sonvera::MainWindow</name>
    <message>
        <source>拖拽文件到这里开始转换</source>
        <translation>Drag files here to start converting</translation>
    </message>
    <message>
        <source>添加文件</source>
        <translation>Add File</translation>
    </message>
    <message>
        <source>添加文件夹</source>
        <translation>Add Folder</translation>
    </message>
    <message>
        <source>移除文件</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>提示设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>user guide</translation>
    </message>
    <message>
        <source>立刻开始转换！</source>
        <translation>Start Converting!</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>意见反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>搜索文件...</source>
        <translation>Searching for files...</translation>
    </message>
    <message>
        <source>正在搜索文件夹，请等它结束后再添加。</source>
        <translation>A folder is being searched; add more when it has finished.</translation>
    </message>
    <message>
        <source>选择一个文件夹:</source>
        <translation>Choose a folder:</translation>
    </message>
    <message numerus="yes">
        <source>有 %n 个文件夹无法读取，其中的文件没有添加：%1%2</source>
        <extracomment>%1 lists up to three folder names; %2 is &quot; 等&quot; (&quot;and more&quot;) when there are more.</extracomment>
        <translation>
            <numerusform>%n folder could not be read; its files were not added: %1%2</numerusform>
            <numerusform>%n folders could not be read; their files were not added: %1%2</numerusform>
        </translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source> 等</source>
        <translation> and more</translation>
    </message>
    <message>
        <source>请选择一个文件夹:</source>
        <translation>Please choose a folder:</translation>
    </message>
    <message>
        <source>www.sonvera.app
Sonvera 是免费的批量视频转换工具。
</source>
        <translation>www.sonvera.app
Sonvera is a free batch video converter.
</translation>
    </message>
    <message>
        <source>文件列表</source>
        <translation>File list</translation>
    </message>
    <message>
        <source>要转换的文件。双击转换好的文件可以播放它，右键点击可以打开它所在的文件夹或移除文件</source>
        <translation>The files to convert. Double-click a converted file to play it; right-click to open its folder or remove files</translation>
    </message>
    <message>
        <source>Sonvera 网站</source>
        <translation>Sonvera website</translation>
    </message>
    <message>
        <source>没有可以打开文件夹的程序。转换好的文件在：%1</source>
        <extracomment>The output folder could not be opened at the end of a batch; %1 is the folder.</extracomment>
        <translation>Nothing here opens folders. The converted files are in: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件，共 %1</source>
        <extracomment>%n files to convert, %1 their total length (&quot;1:02:03&quot;).</extracomment>
        <translation>
            <numerusform>%n file, %1 in all</numerusform>
            <numerusform>%n files, %1 in all</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件，至少 %1</source>
        <extracomment>Some lengths are not known (yet): %1 is the length of the others.</extracomment>
        <translation>
            <numerusform>%n file, at least %1</numerusform>
            <numerusform>%n files, at least %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message>
        <source>视频文件</source>
        <translation>Video Files</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All Files</translation>
    </message>
    <message>
        <source>这台电脑上没有可以打开%1的程序（例如 xdg-open，在 xdg-utils 软件包中）。
它在这里：
%2</source>
        <extracomment>%1 says what could not be opened (&quot;输出文件夹&quot;), %2 is where it is.</extracomment>
        <translation>Nothing on this computer can open the %1 (such as xdg-open, from the package xdg-utils).
It is here:
%2</translation>
    </message>
    <message>
        <source>输出文件夹还不存在，开始转换时会建立它：
%1</source>
        <translation>The output folder does not exist yet; converting makes it:
%1</translation>
    </message>
    <message>
        <source>输出文件夹</source>
        <translation>output folder</translation>
    </message>
    <message>
        <source>转换好的文件</source>
        <translation>converted file</translation>
    </message>
    <message>
        <source>文件所在的文件夹</source>
        <translation>folder that holds the file</translation>
    </message>
    <message>
        <source>网页</source>
        <translation>web page</translation>
    </message>
    <message>
        <source>一步转换</source>
        <translation>convert in one step</translation>
    </message>
    <message>
        <source>直接复制</source>
        <translation>copy streams that fit</translation>
    </message>
    <message>
        <source>保留日期</source>
        <translation>keep dates</translation>
    </message>
    <message>
        <source>保留文件夹结构</source>
        <translation>keep folder trees</translation>
    </message>
    <message>
        <source>开始后：%1</source>
        <translation>Start will %1</translation>
    </message>
    <message>
        <source>磁盘空间可能不够：
%1
仍然开始转换吗？</source>
        <translation>The disk may be too full:
%1
Start converting anyway?</translation>
    </message>
    <message>
        <source>仍然开始</source>
        <translation>Start anyway</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>开始图标：立刻开始转换</source>
        <translation>Start icon: Start Converting!</translation>
    </message>
    <message>
        <source>转换图标：立刻开始转换</source>
        <translation>Convert icon: Start Converting!</translation>
    </message>
    <message>
        <source>标题栏：%1</source>
        <translation>Title bar: %1</translation>
    </message>
    <message>
        <source>列表旁：%1</source>
        <translation>Beside the list: %1</translation>
    </message>
    <message>
        <source>图标栏：%1</source>
        <translation>Icon bar: %1</translation>
    </message>
</context>
<context>
    <name>sonvera::OptionsDialog</name>
    <message>
        <source>选项设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>转换完毕声音提示</source>
        <translation>Sound when converting is done</translation>
    </message>
    <message>
        <source>时</source>
        <translation>Hours</translation>
    </message>
    <message>
        <source>分</source>
        <translation>Minutes</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>Seconds</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>截取范围只用于 MP3 格式。</source>
        <translation>The clip range applies to MP3 only.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>无</source>
        <translation>Nothing</translation>
    </message>
    <message>
        <source>关机</source>
        <translation>Power off</translation>
    </message>
    <message>
        <source>睡眠</source>
        <translation>Sleep</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>同时转换的文件数</source>
        <translation>Files converted at once</translation>
    </message>
    <message>
        <source>转换完成后</source>
        <translation>When converting is done</translation>
    </message>
    <message>
        <source>界面语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>重新启动后生效</source>
        <translation>Takes effect at the next start</translation>
    </message>
    <message>
        <source>分钟必须小于60</source>
        <translation>Minutes must be less than 60</translation>
    </message>
    <message>
        <source>秒必须小于60</source>
        <translation>Seconds must be less than 60</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>Minutes</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>开</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>关</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>转换完毕后是否播放一声提示音</source>
        <translation>Play a sound when converting is done</translation>
    </message>
    <message>
        <source>截取音乐</source>
        <translation>Music Cutter</translation>
    </message>
    <message>
        <source>转换为 MP3 时只截取下面的时间范围</source>
        <translation>Convert only this range of each file to MP3</translation>
    </message>
    <message>
        <source>保存这些设置并关闭</source>
        <translation>Save these settings and close</translation>
    </message>
    <message>
        <source>不保存，关闭</source>
        <translation>Close without saving</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <extracomment>The six fields of the clip range: %1 is 开始 or 结束, %2 时, 分 or 秒.</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>同时转换几个文件；自动：电脑有几个核心就同时转换几个</source>
        <translation>How many files convert at once; Automatic: one per core of this computer</translation>
    </message>
    <message>
        <source>全部文件转换成功后电脑做什么</source>
        <translation>What the computer does once every file has converted</translation>
    </message>
    <message>
        <source>窗口的语言；自动：跟随系统</source>
        <translation>The language of the window; Automatic: the system&apos;s</translation>
    </message>
    <message>
        <source>一步转换（更快，画质更好）</source>
        <translation>Convert in one step (faster, better picture)</translation>
    </message>
    <message>
        <source>RMVB、RM、MOV、手机 MP4 和 3GP 直接从源文件转换，不经过中间文件</source>
        <translation>RMVB, RM, MOV, mobile MP4 and 3GP are converted straight from the source, without an intermediate file</translation>
    </message>
    <message>
        <source>能直接复制时不重新编码</source>
        <translation>Copy streams that fit, do not encode them</translation>
    </message>
    <message>
        <source>H.264/AAC 的视频转成 MP4 或 MOV、MP3 声音转成 MP3 时，原样复制音视频流</source>
        <translation>H.264/AAC video into MP4 or MOV, and MP3 sound into MP3, are copied as they are</translation>
    </message>
    <message>
        <source>保留源文件的修改时间</source>
        <translation>Give outputs the source&apos;s modification time</translation>
    </message>
    <message>
        <source>保留添加的文件夹的子文件夹结构</source>
        <translation>Keep the subfolders of added folders</translation>
    </message>
    <message>
        <source>添加文件夹找到的文件，输出到输出文件夹下相同的子文件夹中</source>
        <translation>Files found by adding a folder go into the same subfolders under the output folder</translation>
    </message>
    <message>
        <source>复制时不使用尺寸和比特率参数</source>
        <translation>Sizes and bitrates do not apply to a copy</translation>
    </message>
    <message>
        <source>转换好的文件使用源文件的修改时间，而不是转换的时间</source>
        <translation>Converted files get their source&apos;s modification time, not the time they were converted</translation>
    </message>
    <message>
        <source>正在转换：这批文件使用开始时的设置，灰色的设置在转换结束后才能修改。</source>
        <translation>Converting: this batch uses the settings it started with; the greyed-out settings can be changed when it has finished.</translation>
    </message>
    <message>
        <source>正在转换：这项设置在这批文件转换结束后才能修改</source>
        <translation>Converting: this setting can be changed when the batch has finished</translation>
    </message>
</context>
<context>
    <name>sonvera::ParameterPanel</name>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>输出格式：</source>
        <translation>Output format:</translation>
    </message>
    <message>
        <source>视频比特率：</source>
        <translation>Video bitrate:</translation>
    </message>
    <message>
        <source>帧率：</source>
        <translation>Frame rate:</translation>
    </message>
    <message>
        <source>视频尺寸：</source>
        <translation>Video size:</translation>
    </message>
    <message>
        <source>声音频率：</source>
        <translation>Audio rate:</translation>
    </message>
    <message>
        <source>声音比特率：</source>
        <translation>Audio bitrate:</translation>
    </message>
    <message>
        <source>声道：</source>
        <translation>Channels:</translation>
    </message>
    <message>
        <source>输出路径：</source>
        <translation>Output folder:</translation>
    </message>
    <message>
        <source>输出格式</source>
        <translation>Output Format</translation>
    </message>
    <message>
        <source>视频比特率，单位 kbps</source>
        <translation>Video Bitrate (kbps)</translation>
    </message>
    <message>
        <source>帧率，每秒的帧数</source>
        <translation>Frame Rate (frames per second)</translation>
    </message>
    <message>
        <source>视频尺寸，宽×高（像素）</source>
        <translation>Video Size (width×height in pixels)</translation>
    </message>
    <message>
        <source>声音频率，单位 Hz</source>
        <translation>Audio Rate (Hz)</translation>
    </message>
    <message>
        <source>声音比特率，单位 kbps</source>
        <translation>Audio Bitrate (kbps)</translation>
    </message>
    <message>
        <source>声道：立体声或单声道</source>
        <translation>Channel(Stereo or Mono)</translation>
    </message>
    <message>
        <source>转换好的文件保存在这个文件夹</source>
        <translation>The Folder the Converted Files Go To</translation>
    </message>
    <message>
        <source>选择输出文件夹</source>
        <translation>Select an Output Folder</translation>
    </message>
    <message>
        <source>打开输出文件夹</source>
        <translation>Open Output Folder</translation>
    </message>
    <message>
        <source>在文件管理器中打开输出文件夹</source>
        <translation>Open the Output Folder in the File Manager</translation>
    </message>
</context>
<context>
    <name>sonvera::PowerAction</name>
    <message>
        <source>系统总线不可用</source>
        <translation>the system bus is not available</translation>
    </message>
    <message>
        <source>找不到系统的电源管理服务 (logind)</source>
        <translation>the system&apos;s power management service (logind) was not found</translation>
    </message>
    <message>
        <source>系统拒绝了请求：%1</source>
        <translation>the system refused: %1</translation>
    </message>
    <message>
        <source>没能自动关机（%1）。转换好的文件都已保存，请手动关机。</source>
        <translation>The computer could not be powered off (%1). Every converted file is saved; please power it off yourself.</translation>
    </message>
    <message>
        <source>没能让电脑睡眠（%1）。转换好的文件都已保存，请手动让电脑睡眠。</source>
        <translation>The computer could not be put to sleep (%1). Every converted file is saved; please put it to sleep yourself.</translation>
    </message>
    <message>
        <source>正在询问系统能否自动关机</source>
        <translation>Asking the system whether it can power off by itself</translation>
    </message>
    <message>
        <source>正在询问系统能否自动睡眠</source>
        <translation>Asking the system whether it can sleep by itself</translation>
    </message>
    <message>
        <source>无法连接系统的电源管理服务 (logind)，不能自动关机</source>
        <translation>Cannot reach the system&apos;s power management (logind), so the computer cannot power off by itself</translation>
    </message>
    <message>
        <source>无法连接系统的电源管理服务 (logind)，不能自动睡眠</source>
        <translation>Cannot reach the system&apos;s power management (logind), so the computer cannot sleep by itself</translation>
    </message>
    <message>
        <source>系统要求输入密码才能关机，无人值守时无法自动关机</source>
        <translation>The system asks for a password to power off, which nobody will be there to give</translation>
    </message>
    <message>
        <source>系统要求输入密码才能睡眠，无人值守时无法自动睡眠</source>
        <translation>The system asks for a password to sleep, which nobody will be there to give</translation>
    </message>
    <message>
        <source>这台电脑不支持由程序关机</source>
        <translation>This computer does not let programs power it off</translation>
    </message>
    <message>
        <source>这台电脑不支持睡眠</source>
        <translation>This computer cannot sleep</translation>
    </message>
    <message>
        <source>系统不允许这个用户关机</source>
        <translation>The system does not let this user power off the computer</translation>
    </message>
    <message>
        <source>系统不允许这个用户让电脑睡眠</source>
        <translation>The system does not let this user put the computer to sleep</translation>
    </message>
</context>
<context>
    <name>sonvera::PowerCountdownDialog</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message numerus="yes">
        <source>转换已完成，%n 秒后睡眠。</source>
        <translation>
            <numerusform>Converting is done. Sleeping in %n second.</numerusform>
            <numerusform>Converting is done. Sleeping in %n seconds.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>转换已完成，%n 秒后关机。</source>
        <translation>
            <numerusform>Converting is done. Powering off in %n second.</numerusform>
            <numerusform>Converting is done. Powering off in %n seconds.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>sonvera::ProgressView</name>
    <message>
        <source>已用 %1  剩余约 %2</source>
        <translation>Elapsed %1  About %2 left</translation>
    </message>
    <message>
        <source>已用 %1</source>
        <translation>Elapsed %1</translation>
    </message>
    <message>
        <source>转换进度</source>
        <translation>Conversion progress</translation>
    </message>
    <message>
        <source>第 %1 步，共 %2 步</source>
        <translation>Step %1 of %2</translation>
    </message>
</context>
<context>
    <name>sonvera::RestoreQuestion</name>
    <message>
        <source>恢复</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>不恢复</source>
        <translation>Don&apos;t Restore</translation>
    </message>
    <message numerus="yes">
        <source>上次有 %n 个文件没有转换完，恢复到列表吗？</source>
        <translation>
            <numerusform>%n file was left unconverted last time. Put it back in the list?</numerusform>
            <numerusform>%n files were left unconverted last time. Put them back in the list?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>sonvera::SingleInstance</name>
    <message>
        <source>无法连接正在运行的程序（%1）：%2</source>
        <translation>cannot reach the running copy at %1: %2</translation>
    </message>
    <message>
        <source>正在运行的程序没有确认收到文件：%1</source>
        <translation>the running copy did not confirm it received the files: %1</translation>
    </message>
    <message>
        <source>正在运行的程序给出了意外的回答</source>
        <translation>the running copy gave an unexpected answer</translation>
    </message>
</context>
<context>
    <name>sonvera::SleepInhibitor</name>
    <message>
        <source>正在转换视频</source>
        <translation>Converting videos</translation>
    </message>
</context>
<context>
    <name>sonvera::WindowActions</name>
    <message>
        <source>添加文件(&amp;A)</source>
        <translation>&amp;Add File</translation>
    </message>
    <message>
        <source>添加目录(&amp;F)</source>
        <translation>Add &amp;Folder</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>移除文件</source>
        <translation>Remove Files</translation>
    </message>
    <message>
        <source>移除选择项</source>
        <translation>Remove Selected</translation>
    </message>
    <message>
        <source>移除全部</source>
        <translation>Remove All</translation>
    </message>
    <message>
        <source>设置(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>立刻开始转换！</source>
        <translation>Start Converting!</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>意见反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>请选择一个文件夹:</source>
        <translation>Please choose a folder:</translation>
    </message>
    <message>
        <source>添加文件到列表，可以一次选择多个</source>
        <translation>Add Files to the List (several at once)</translation>
    </message>
    <message>
        <source>添加一个文件夹及其子文件夹中的 FLV 文件</source>
        <translation>Add Files from a Folder (its FLV files and those of its subfolders)</translation>
    </message>
    <message>
        <source>把文件拖到这里，或者点击这里选择文件</source>
        <translation>Drag media files onto this DropZone, or click to choose one</translation>
    </message>
    <message>
        <source>从列表中移除文件</source>
        <translation>Remove File(s) from List</translation>
    </message>
    <message>
        <source>从列表中移除选中的文件</source>
        <translation>Remove the Selected Files from the List</translation>
    </message>
    <message>
        <source>移除列表中的全部文件</source>
        <translation>Remove Every File from the List</translation>
    </message>
    <message>
        <source>提示音、音乐截取和其他选项</source>
        <translation>Sound, Music Cutter and Other Options</translation>
    </message>
    <message>
        <source>帮助和教程</source>
        <translation>Help &amp; Tutorial</translation>
    </message>
    <message>
        <source>关于 Sonvera</source>
        <translation>About Sonvera</translation>
    </message>
    <message>
        <source>退出 Sonvera</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>开始转换列表中的文件</source>
        <translation>Start Converting</translation>
    </message>
    <message>
        <source>停止转换</source>
        <translation>Stop Converting</translation>
    </message>
    <message>
        <source>给我们提建议或问题</source>
        <translation>Send us your suggestion or question</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最小化窗口</source>
        <translation>Minimize Window</translation>
    </message>
    <message>
        <source>选择输出文件夹</source>
        <translation>Select an Output Folder</translation>
    </message>
    <message>
        <source>打开输出文件夹</source>
        <translation>Open Output Folder</translation>
    </message>
    <message>
        <source>在文件管理器中打开输出文件夹</source>
        <translation>Open the Output Folder in the File Manager</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>播放转换好的文件</source>
        <translation>Play the Converted File</translation>
    </message>
    <message>
        <source>打开所在文件夹</source>
        <translation>Open Containing Folder</translation>
    </message>
    <message>
        <source>打开转换好的文件所在的文件夹</source>
        <translation>Open the Folder That Holds the Converted File</translation>
    </message>
</context>
<context>
    <name>sonvera::WindowMenus</name>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
</context>
</TS>
