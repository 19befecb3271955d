<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ChartStack</name>
    <message>
        <source>温度 %1</source>
        <translation>Temperature %1</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>ここにマーカーを追加</source>
        <translation>Add a Marker Here</translation>
    </message>
</context>
<context>
    <name>CommPort</name>
    <message>
        <source>invalid port number %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM%1: no such serial port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (in use by another program, or the user is not in the dialout group)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the port refuses the line settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1: the setting is tyre, battery or interval</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no command given</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wrong arguments for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--retries takes 0 to 10</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--lang %1: the language is ja or en</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown command %1; the commands are %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no display: set DISPLAY or use the command line (download, summary, report)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DataFile</name>
    <message>
        <source>データファイルを保存出来ませんでした</source>
        <translation>The data file could not be saved</translation>
    </message>
    <message>
        <source>the store holds more records than it has room for</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no Shift-JIS converter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot replace %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ１がありません</source>
        <translation>There is no main data</translation>
    </message>
</context>
<context>
    <name>DataFileReader</name>
    <message>
        <source>no Shift-JIS decoder on this system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>neither Shift-JIS nor UTF-8 text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>empty file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a YB data file: the first line is not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no comma or tab after %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>nothing may follow the lap data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>expected the lap section</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>expected the temperature or lap section</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file ends after line %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 fields where %2 has %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>expected %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 heads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>expected the column head %1 where %2 stands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a count after %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>row number %1 where %2 was expected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>more rows in %1 than the count of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ends after %2 of %3 rows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 under %2 is not a number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown recording interval %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown temperature interval %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>larger than %1 MiB: no data file of the logger is that large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a regular file (a device, a pipe or a socket)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a folder, not a data file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>&apos;D1?&apos; コマンドエラー</source>
        <translation>&apos;D1?&apos; command error</translation>
    </message>
    <message>
        <source>データ１:%1個</source>
        <translation>Main data: %1 records</translation>
    </message>
    <message>
        <source>&apos;D1+nnnn&apos; コマンドエラー</source>
        <translation>&apos;D1+nnnn&apos; command error</translation>
    </message>
    <message>
        <source>&apos;D2?&apos; コマンドエラー</source>
        <translation>&apos;D2?&apos; command error</translation>
    </message>
    <message>
        <source>温度データ:%1個</source>
        <translation>Temperature data: %1 records</translation>
    </message>
    <message>
        <source>&apos;D2+nnnn&apos; コマンドエラー</source>
        <translation>&apos;D2+nnnn&apos; command error</translation>
    </message>
    <message>
        <source>&apos;L2?&apos; コマンドエラー</source>
        <translation>&apos;L2?&apos; command error</translation>
    </message>
    <message>
        <source>&apos;L?&apos; コマンドエラー</source>
        <translation>&apos;L?&apos; command error</translation>
    </message>
    <message>
        <source>周回データ:%1個</source>
        <translation>Lap data: %1 records</translation>
    </message>
    <message>
        <source>&apos;LD+nn&apos; コマンドエラー</source>
        <translation>&apos;LD+nn&apos; command error</translation>
    </message>
    <message>
        <source>&apos;TMP?&apos; コマンドエラー</source>
        <translation>&apos;TMP?&apos; command error</translation>
    </message>
    <message>
        <source>データ読出し完了...</source>
        <translation>Download complete...</translation>
    </message>
    <message>
        <source>データ読出しを中止しました</source>
        <translation>Download cancelled</translation>
    </message>
    <message>
        <source>ロガーのデータが変わっています。最初から読出してください。</source>
        <translation>The logger&apos;s data has changed. Download again from the start.</translation>
    </message>
    <message>
        <source>応答が遅れて届きました。ずれたおそれのあるデータは破棄しました</source>
        <translation>An answer came late; the records it may have shifted were discarded</translation>
    </message>
    <message>
        <source>%1 記録 %2 / %3</source>
        <translation>%1 record %2 of %3</translation>
    </message>
    <message>
        <source>応答なし</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>行末のない応答 (%1 文字)</source>
        <translation>an answer without its line end (%1 characters)</translation>
    </message>
    <message>
        <source>ポートが使えなくなりました</source>
        <translation>the port was lost</translation>
    </message>
    <message>
        <source>不正な応答 (%1 文字)</source>
        <translation>a malformed answer (%1 characters)</translation>
    </message>
</context>
<context>
    <name>DownloadMeter</name>
    <message numerus="yes">
        <source>  再試行 %n 回</source>
        <translation>
            <numerusform>  %n retry</numerusform>
            <numerusform>  %n retries</numerusform>
        </translation>
    </message>
    <message>
        <source>残り %1:%2</source>
        <translation>%1:%2 left</translation>
    </message>
    <message>
        <source>%1 / %2 個  %3 個/秒</source>
        <translation>%1 / %2 records  %3/s</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>%1  読出し %2 個  %3 秒</source>
        <translation>%1  %2 records read  %3 s</translation>
    </message>
    <message>
        <source>  温度オプションなし</source>
        <translation>  no temperature option</translation>
    </message>
</context>
<context>
    <name>EnergyModel</name>
    <message>
        <source>タイムなし</source>
        <translation>no time</translation>
    </message>
    <message>
        <source>モーター電力量なし</source>
        <translation>no motor energy</translation>
    </message>
    <message>
        <source>距離なし (速度の記録がない)</source>
        <translation>no distance (no speed recorded)</translation>
    </message>
    <message>
        <source>ピット (中央値の1.5倍より遅い)</source>
        <translation>pit (slower than 1.5 × the median)</translation>
    </message>
</context>
<context>
    <name>ExportCommand</name>
    <message>
        <source>export: --format %1: the formats are %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the recording interval is unknown, so --start gives no clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>export: --format is needed: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Exports</name>
    <message>
        <source>cannot write the MATLAB file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read %1 back: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library wrote the file incomplete: a write failed (a full disk?)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot start the Excel workbook</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the Excel workbook: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a data file: an export never replaces one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the Excel and MATLAB writers cannot be loaded (%1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileTarget</name>
    <message>
        <source>a folder: the file needs a name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a regular file: nothing is written there</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file exists; --force replaces it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is read-only: it is not replaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder does not exist or cannot be written</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Format</name>
    <message>
        <source>the main data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ１</source>
        <translation>Main data</translation>
    </message>
    <message>
        <source>the temperature data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度データ</source>
        <translation>Temperature data</translation>
    </message>
    <message>
        <source>the lap data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回データ</source>
        <translation>Lap data</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>cancelled: the library was left as it was</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library %1 was made again from the data files and their notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not added to the library: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LibraryCommand</name>
    <message>
        <source>%1 / %2 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  %1 left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: no such run in the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>library add: name the files or folders to add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>added %1, already there %2, moved %3, changed %4, not data files %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2: a date is yyyy-MM-dd, a time yyyy-MM-ddTHH:mm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>run %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>conditions: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tags: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>notes: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>marker %1 %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--start %1: a time is yyyy-MM-ddTHH:mm[:ss]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>every file is there and unchanged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>library %1: the actions are add, list, show, set, check and rebuild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wrong arguments for library %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library holds %1 runs</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LoggerCommands</name>
    <message>
        <source>partial data file: the download ended early; the file holds what was fetched until then</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: -o names the complete file; --force replaces this one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the records fetched are saved in %1 instead</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the records fetched could not be saved in the current or the temporary folder either</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: complete: it holds everything the logger holds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--retries N sends a failed request again; --resume FILE goes on from the partial file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: no data file written</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Output</name>
    <message>
        <source>stdout: the results could not be written: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>usage: yb-downloader download|check|get|set|ports|view|report|summary|strategy|export|library [options]; yb-downloader --help lists them</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PartialRun</name>
    <message>
        <source>not a partial data file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 follows the stopped section</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has too many rows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>row %1 of %2 is half empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>row %1 of %2 holds values after an empty row</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>row %1 of %2 holds a value no download has</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>表示範囲 </source>
        <translation>Range shown </translation>
    </message>
    <message>
        <source>比較 </source>
        <translation>Compared with </translation>
    </message>
    <message>
        <source> (薄い色)</source>
        <translation> (light colours)</translation>
    </message>
    <message>
        <source>部分データ</source>
        <translation>Partial data</translation>
    </message>
    <message>
        <source>保存日時 </source>
        <translation>Saved </translation>
    </message>
    <message>
        <source>    保存先 </source>
        <translation>    Saved to </translation>
    </message>
    <message>
        <source>レポート作成 </source>
        <translation>Report made </translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation>Charts</translation>
    </message>
    <message>
        <source>周回データはありません</source>
        <translation>No lap data</translation>
    </message>
    <message>
        <source>概要</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>表示範囲の概要  </source>
        <translation>Summary of the range shown  </translation>
    </message>
    <message>
        <source>cannot write: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the PDF could not be written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the image could not be written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>drawing the charts needs a QApplication</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the output must end with .pdf or .png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot create the file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot replace the file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>マーカー</source>
        <translation>Markers</translation>
    </message>
</context>
<context>
    <name>RunCharts</name>
    <message>
        <source>電流 [A]</source>
        <translation>Current [A]</translation>
    </message>
    <message>
        <source>ソーラー電流</source>
        <translation>Solar current</translation>
    </message>
    <message>
        <source>バッテリー電流</source>
        <translation>Battery current</translation>
    </message>
    <message>
        <source>電力 [W]</source>
        <translation>Power [W]</translation>
    </message>
    <message>
        <source>ソーラー電力</source>
        <translation>Solar power</translation>
    </message>
    <message>
        <source>バッテリー電力</source>
        <translation>Battery power</translation>
    </message>
    <message>
        <source>メイン電圧 [V]</source>
        <translation>Main [V]</translation>
    </message>
    <message>
        <source>メイン電圧</source>
        <translation>Main voltage</translation>
    </message>
    <message>
        <source>サブ電圧</source>
        <translation>Sub voltage</translation>
    </message>
    <message>
        <source>サブ電圧 [V]</source>
        <translation>Sub [V]</translation>
    </message>
    <message>
        <source>速度 [km/h]</source>
        <translation>Speed [km/h]</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>電力量 [Wh]</source>
        <translation>Energy [Wh]</translation>
    </message>
    <message>
        <source>ソーラー積算</source>
        <translation>Solar total</translation>
    </message>
    <message>
        <source>バッテリー積算</source>
        <translation>Battery total</translation>
    </message>
    <message>
        <source>モーター積算</source>
        <translation>Motor total</translation>
    </message>
    <message>
        <source>バッテリー残量</source>
        <translation>Battery remaining</translation>
    </message>
    <message>
        <source>残量 [Ah]</source>
        <translation>Charge [Ah]</translation>
    </message>
    <message>
        <source>温度 [℃]</source>
        <translation>Temp. [℃]</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>経過時間 [時:分]</source>
        <translation>Elapsed time [h:min]</translation>
    </message>
    <message>
        <source>記録番号 (記録間隔不明)</source>
        <translation>Record number (interval unknown)</translation>
    </message>
    <message>
        <source>記録 %1</source>
        <translation>Record %1</translation>
    </message>
    <message>
        <source>温度の経過時間 [時:分]</source>
        <translation>Temperature elapsed time [h:min]</translation>
    </message>
</context>
<context>
    <name>RunColumns</name>
    <message>
        <source>読出し日時</source>
        <translation>Downloaded</translation>
    </message>
    <message>
        <source>イベント</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>走行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>コース</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>ドライバー</source>
        <translation>Drivers</translation>
    </message>
    <message>
        <source>記録時間</source>
        <translation>Recording time</translation>
    </message>
    <message>
        <source>距離 km</source>
        <translation>Distance km</translation>
    </message>
    <message>
        <source>周回</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>ベストラップ</source>
        <translation>Best lap</translation>
    </message>
    <message>
        <source>Wh/km</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー Wh</source>
        <translation>Solar Wh</translation>
    </message>
    <message>
        <source>部分</source>
        <translation>Partial</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>メモ</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>電費</source>
        <translation>Energy use</translation>
    </message>
    <message>
        <source>走行距離</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>ソーラー発電量</source>
        <translation>Solar energy</translation>
    </message>
    <message>
        <source>バッテリー電力量</source>
        <translation>Battery energy</translation>
    </message>
    <message>
        <source>最高温度</source>
        <translation>Highest temperature</translation>
    </message>
</context>
<context>
    <name>RunEnergy</name>
    <message>
        <source>バッテリー初期容量</source>
        <translation>Initial battery capacity</translation>
    </message>
    <message>
        <source>終了時の残量</source>
        <translation>Charge at the end</translation>
    </message>
    <message>
        <source>終了時の充電状態</source>
        <translation>State of charge at the end</translation>
    </message>
    <message>
        <source>終了時の蓄電量</source>
        <translation>Energy stored at the end</translation>
    </message>
    <message>
        <source>未設定</source>
        <translation>not set</translation>
    </message>
</context>
<context>
    <name>RunIndex</name>
    <message>
        <source>the library %1 cannot be written: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>made by a later version of the program (schema %1, this one knows %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a library of this program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library %1 cannot be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its folder cannot be made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library %1 could not be used (%2): moved aside to %3 and made again from the data files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library&apos;s list of folders %1 cannot be written: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no run %1 in the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 holds other data than the run&apos;s file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunNotes</name>
    <message>
        <source>ピットストップ</source>
        <translation>Pit stop</translation>
    </message>
    <message>
        <source>ドライバー交代</source>
        <translation>Driver change</translation>
    </message>
    <message>
        <source>インシデント</source>
        <translation>Incident</translation>
    </message>
    <message>
        <source>メモ</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>not a notes file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a JSON object</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds a value of the wrong kind</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunOptions</name>
    <message>
        <source>%1: --to must lie after --from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the recording interval is unknown, so --from and --to cannot be placed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: --%2 %3: too large a number of minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the window holds no record: the run lasts %2 min (--from 0 to --to %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: --start %2: a local date and time such as 2026-07-30T09:15:00</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a number above 0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a number from 0 to 100</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>minutes, a number of 0 or more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a number of 0 or more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a number above 0, at most 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>strategy: --remaining MIN is needed: the minutes left in the race</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>記録数</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>記録間隔</source>
        <translation>Recording interval</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>記録時間</source>
        <translation>Recording time</translation>
    </message>
    <message>
        <source>走行距離</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>平均速度</source>
        <translation>Average speed</translation>
    </message>
    <message>
        <source>最高速度</source>
        <translation>Top speed</translation>
    </message>
    <message>
        <source>ソーラー発電量</source>
        <translation>Solar energy</translation>
    </message>
    <message>
        <source>バッテリー電力量</source>
        <translation>Battery energy</translation>
    </message>
    <message>
        <source>最低メイン電圧</source>
        <translation>Lowest main voltage</translation>
    </message>
    <message>
        <source>最高温度</source>
        <translation>Highest temperature</translation>
    </message>
    <message>
        <source>周回数</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>ベストラップ</source>
        <translation>Best lap</translation>
    </message>
    <message>
        <source>ベストラップの周回</source>
        <translation>Best lap number</translation>
    </message>
    <message>
        <source>モーター電力量</source>
        <translation>Motor energy</translation>
    </message>
    <message>
        <source>部分データ</source>
        <translation>Partial data</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>はい (空の行あり)</source>
        <translation>yes (empty rows)</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>no</translation>
    </message>
    <message>
        <source>周回</source>
        <translation>Lap</translation>
    </message>
    <message>
        <source>タイム</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>距離</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>モーター</source>
        <translation>Motor</translation>
    </message>
    <message>
        <source>ソーラー</source>
        <translation>Solar</translation>
    </message>
    <message>
        <source>周回</source>
        <comment>the lap table&apos;s title</comment>
        <translation>Laps</translation>
    </message>
    <message>
        <source>周回  (ベスト %1周目 %2)</source>
        <translation>Laps  (best: lap %1, %2)</translation>
    </message>
</context>
<context>
    <name>SaveCommand</name>
    <message>
        <source>%1 に上書きしますか？</source>
        <translation>Replace %1?</translation>
    </message>
    <message>
        <source>(CSVファイル) | *.csv</source>
        <translation>(CSV file) | *.csv</translation>
    </message>
    <message>
        <source>(テキストファイル) | *.txt</source>
        <translation>(Text file) | *.txt</translation>
    </message>
    <message>
        <source>データファイル</source>
        <translation>Data file</translation>
    </message>
    <message>
        <source>データファイルに保存しました : %1</source>
        <translation>Saved the data file : %1</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>シリアルポートが使用できなくなりました: %1</source>
        <translation>The serial port can no longer be used: %1</translation>
    </message>
    <message>
        <source>COM 設定エラー</source>
        <translation>COM setting error</translation>
    </message>
    <message>
        <source>YB 接続確認できました</source>
        <translation>YB connection confirmed</translation>
    </message>
    <message>
        <source>YB 接続確認できませんでした</source>
        <translation>YB connection not confirmed</translation>
    </message>
    <message>
        <source>the port does not take what is written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>port number out of range</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>タイヤ周長の読出しに失敗しました。</source>
        <translation>Reading the tyre circumference failed.</translation>
    </message>
    <message>
        <source>タイヤ周長は 256～65535[mm] の値にしてください</source>
        <translation>The tyre circumference must be 256 to 65535 [mm]</translation>
    </message>
    <message>
        <source>タイヤ周長の書込みに成功しました。</source>
        <translation>The tyre circumference was written.</translation>
    </message>
    <message>
        <source>タイヤ周長の書込みに失敗しました。</source>
        <translation>Writing the tyre circumference failed.</translation>
    </message>
    <message>
        <source>バッテリ初期値の読出しに失敗しました。</source>
        <translation>Reading the initial battery capacity failed.</translation>
    </message>
    <message>
        <source>バッテリAh初期値は 05.00～50.00[Ah] の値にしてください</source>
        <translation>The initial battery capacity must be 05.00 to 50.00 [Ah]</translation>
    </message>
    <message>
        <source>バッテリ初期値の書込みに成功しました。</source>
        <translation>The initial battery capacity was written.</translation>
    </message>
    <message>
        <source>バッテリ初期値の書込みに失敗しました。</source>
        <translation>Writing the initial battery capacity failed.</translation>
    </message>
    <message>
        <source>データ記録時間間隔の読出しに失敗しました。</source>
        <translation>Reading the recording interval failed.</translation>
    </message>
    <message>
        <source>データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください</source>
        <translation>The recording interval must be 1, 2, 5 or 10 [s]</translation>
    </message>
    <message>
        <source>データ記録時間間隔の書込みに成功しました。</source>
        <translation>The recording interval was written.</translation>
    </message>
    <message>
        <source>データ記録時間間隔の書込みに失敗しました。</source>
        <translation>Writing the recording interval failed.</translation>
    </message>
</context>
<context>
    <name>Strategy</name>
    <message>
        <source>エネルギーモデルがありません: 速度の違う周回が2周以上必要です</source>
        <translation>no energy model: it needs at least two laps of different speeds</translation>
    </message>
    <message>
        <source>バッテリー初期容量が未設定です</source>
        <translation>the initial battery capacity is not set</translation>
    </message>
    <message>
        <source>現在の残量が分かりません (バッテリー電流とメイン電圧の記録がない)</source>
        <translation>the charge now is unknown (no battery current and main voltage recorded)</translation>
    </message>
    <message>
        <source>ソーラー電力が分かりません: 予想値を入れてください</source>
        <translation>the solar power is unknown: type the power expected</translation>
    </message>
    <message>
        <source>残り時間を入れてください</source>
        <translation>type the time left</translation>
    </message>
    <message>
        <source>モデルが弱い: %1周から R² %2 (4周以上、R² 0.5以上が目安)</source>
        <translation>weak model: %1 laps, R² %2 (at least 4 laps and R² 0.5 are wanted)</translation>
    </message>
    <message>
        <source>外挿: %1 km/h は周回の速度 %2～%3 km/h の外です</source>
        <translation>extrapolation: %1 km/h lies outside the laps&apos; speeds, %2 to %3 km/h</translation>
    </message>
    <message>
        <source>目標残量に届きません: 走らなくても終了時の残量は %1 % です (目標 %2 %)</source>
        <translation>the target charge cannot be reached: even standing still the battery ends at %1 % (target %2 %)</translation>
    </message>
    <message>
        <source>モデルの b が 0 以下です: 速度とともに電力量が増えないので速度を決められません</source>
        <translation>the model&apos;s b is 0 or less: its energy does not grow with the speed, so no speed can be chosen</translation>
    </message>
    <message>
        <source>速度 [km/h]</source>
        <translation>Speed [km/h]</translation>
    </message>
    <message>
        <source>周回数</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>終了時の残量</source>
        <translation>Charge at the end</translation>
    </message>
    <message>
        <source>結果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>電池切れ (%1 分後)</source>
        <translation>battery flat (after %1 min)</translation>
    </message>
    <message>
        <source>目標残量で完走</source>
        <translation>finishes with the target charge</translation>
    </message>
    <message>
        <source>目標残量を割る</source>
        <translation>ends below the target charge</translation>
    </message>
    <message>
        <source>モデル</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>使った周回</source>
        <translation>Laps used</translation>
    </message>
    <message>
        <source>%1周 (%2～%3 km/h)</source>
        <translation>%1 laps (%2 to %3 km/h)</translation>
    </message>
    <message>
        <source>除いた周回 %1</source>
        <translation>Lap %1 left out</translation>
    </message>
    <message>
        <source>作戦</source>
        <translation>Strategy</translation>
    </message>
    <message>
        <source>現在の残量</source>
        <translation>Charge now</translation>
    </message>
    <message>
        <source>使えるエネルギー</source>
        <translation>Energy to spend</translation>
    </message>
    <message>
        <source>一定速度</source>
        <translation>Constant speed</translation>
    </message>
    <message>
        <source>目標ラップタイム</source>
        <translation>Target lap time</translation>
    </message>
    <message>
        <source>1周のエネルギー予算</source>
        <translation>Energy budget per lap</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>StrategyCommand</name>
    <message>
        <source>warning: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Viewer</name>
    <message>
        <source>ダウンロードしたデータ</source>
        <translation>Downloaded data</translation>
    </message>
</context>
<context>
    <name>ViewerCommands</name>
    <message>
        <source>%1: needs a QApplication</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>report: %1: the output must end with .pdf or .png</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>yb::Form1</name>
    <message>
        <source>接続確認</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>データ読出</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>データ保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>CSV形式で保存</source>
        <translation>Save as CSV</translation>
    </message>
    <message>
        <source>温度センサ</source>
        <translation>Temp. sensor</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>タイヤ周長 [mm]</source>
        <translation>Tyre circumference [mm]</translation>
    </message>
    <message>
        <source>バッテリ初期値 [Ah]</source>
        <translation>Initial battery capacity [Ah]</translation>
    </message>
    <message>
        <source>データ記録時間間隔 [秒]</source>
        <translation>Recording interval [s]</translation>
    </message>
    <message>
        <source>読出し</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>データファイルを開く…</source>
        <translation>Open data file…</translation>
    </message>
    <message>
        <source>通信(&amp;C)</source>
        <translation>&amp;Communication</translation>
    </message>
    <message>
        <source>続きから読出</source>
        <translation>Resume download</translation>
    </message>
    <message>
        <source>失敗した要求を再試行 (%1回)</source>
        <translation>Retry failed requests (%1 times)</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>グラフ…</source>
        <translation>Charts…</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ポートを開けません: %1</source>
        <translation>The port cannot be opened: %1</translation>
    </message>
    <message>
        <source>データを保存していません。このまま読出しますか？</source>
        <translation>The data has not been saved. Download anyway?</translation>
    </message>
    <message>
        <source>データファイルを開く</source>
        <translation>Open data file</translation>
    </message>
    <message>
        <source>データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)</source>
        <translation>Data files (*.csv *.txt *.tsv);;All files (*)</translation>
    </message>
    <message>
        <source>%1 %2
Qt %3
ライセンス: GPL-3.0-or-later</source>
        <translation>%1 %2
Qt %3
Licence: GPL-3.0-or-later</translation>
    </message>
    <message>
        <source>データを保存していません。このまま終了しますか？</source>
        <translation>The data has not been saved. Quit anyway?</translation>
    </message>
    <message>
        <source>通信 → 失敗した要求を再試行 / 続きから読出 で続けられます</source>
        <translation>to go on: Communication → Retry failed requests / Resume download</translation>
    </message>
    <message>
        <source>ライブラリ…</source>
        <translation>Library…</translation>
    </message>
    <message>
        <source>ライブラリに取り込む…</source>
        <translation>Import into the Library…</translation>
    </message>
    <message>
        <source>保存したファイルをライブラリに追加</source>
        <translation>Add Saved Files to the Library</translation>
    </message>
</context>
<context>
    <name>yb::LapOverlay</name>
    <message>
        <source>周回の比較 — %1</source>
        <translation>Lap comparison — %1</translation>
    </message>
    <message>
        <source>周回</source>
        <translation>Lap</translation>
    </message>
    <message>
        <source>第%1周</source>
        <translation>Lap %1</translation>
    </message>
    <message>
        <source>速度 [km/h]</source>
        <translation>Speed [km/h]</translation>
    </message>
    <message>
        <source>モーター電力 [W]</source>
        <translation>Motor power [W]</translation>
    </message>
    <message>
        <source>周回開始からの時間 [秒]</source>
        <translation>Time from the lap start [s]</translation>
    </message>
    <message>
        <source>第%1周 (ベスト)</source>
        <translation>Lap %1 (best)</translation>
    </message>
    <message>
        <source>第%1周 %2 − ベスト 第%3周 %4 = %5</source>
        <translation>Lap %1 %2 − best lap %3 %4 = %5</translation>
    </message>
    <message>
        <source>基準</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>横軸</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>時間(&amp;T)</source>
        <translation>&amp;Time</translation>
    </message>
    <message>
        <source>距離(&amp;D)</source>
        <translation>&amp;Distance</translation>
    </message>
    <message>
        <source>画像で書き出す (PNG)(&amp;E)…</source>
        <translation>&amp;Export image (PNG)…</translation>
    </message>
    <message>
        <source>Δt 第%1周 − 第%2周</source>
        <translation>Δt lap %1 − lap %2</translation>
    </message>
    <message>
        <source>周回開始からの距離 [km]</source>
        <translation>Distance since the lap&apos;s start [km]</translation>
    </message>
    <message>
        <source>タイム差 [秒]</source>
        <translation>Time difference [s]</translation>
    </message>
    <message>
        <source>第%1周 %2 − 基準 第%3周 %4 = %5</source>
        <translation>Lap %1 %2 − reference lap %3 %4 = %5</translation>
    </message>
    <message>
        <source>書き出す</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
</context>
<context>
    <name>yb::LibraryWindow</name>
    <message>
        <source>ライブラリ</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>一覧</source>
        <translation>Runs</translation>
    </message>
    <message>
        <source>傾向</source>
        <translation>Trend</translation>
    </message>
    <message>
        <source>周回</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>選んだ走行をグラフで開きます (ダブルクリックでも開きます)</source>
        <translation>Opens the chosen run in the viewer (a double-click does too)</translation>
    </message>
    <message>
        <source>重ねて開く</source>
        <translation>Open Overlaid</translation>
    </message>
    <message>
        <source>選んだ 2～8 件の走行を一つのグラフに重ねて開きます</source>
        <translation>Opens the 2 to 8 chosen runs laid over each other in one viewer</translation>
    </message>
    <message>
        <source>取り込む…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>フォルダの中のデータファイルをすべてライブラリに追加します</source>
        <translation>Adds every data file in a folder to the library</translation>
    </message>
    <message>
        <source>最新の状態に</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>絞り込み (文字の欄、ファイル名、マーカー)</source>
        <translation>Filter (text fields, file name, markers)</translation>
    </message>
    <message>
        <source>すべてのコース</source>
        <translation>All tracks</translation>
    </message>
    <message>
        <source>すべてのドライバー</source>
        <translation>All drivers</translation>
    </message>
    <message>
        <source>すべてのタグ</source>
        <translation>All tags</translation>
    </message>
    <message>
        <source>完全・部分とも</source>
        <translation>Complete and partial</translation>
    </message>
    <message>
        <source>完全なもの</source>
        <translation>Complete</translation>
    </message>
    <message>
        <source>部分データ</source>
        <translation>Partial data</translation>
    </message>
    <message>
        <source>から</source>
        <translation>from</translation>
    </message>
    <message>
        <source>まで</source>
        <translation>until</translation>
    </message>
    <message>
        <source>コンマで区切って複数</source>
        <translation>several, separated by commas</translation>
    </message>
    <message>
        <source>天気、日射、風</source>
        <translation>weather, irradiance, wind</translation>
    </message>
    <message>
        <source>未設定</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>最初の記録の時刻</source>
        <translation>First record at</translation>
    </message>
    <message>
        <source>コンディション</source>
        <translation>Conditions</translation>
    </message>
    <message>
        <source>タグ</source>
        <translation>Tags</translation>
    </message>
    <message>
        <source>バッテリー容量</source>
        <translation>Battery capacity</translation>
    </message>
    <message>
        <source>読出し</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>ファイルを探す…</source>
        <translation>Locate File…</translation>
    </message>
    <message>
        <source>移したファイルの新しい場所を選びます</source>
        <translation>Chooses the new place of a file that was moved</translation>
    </message>
    <message>
        <source>読出し日時ごとの</source>
        <translation>Per download:</translation>
    </message>
    <message>
        <source>(点をクリックするとその走行を開きます)</source>
        <translation>(a click on a point opens its run)</translation>
    </message>
    <message>
        <source>平均速度</source>
        <translation>Average speed</translation>
    </message>
    <message>
        <source>指定なし</source>
        <translation>any</translation>
    </message>
    <message>
        <source>(見出しのクリックで並べ替え、ダブルクリックでその走行を開きます)</source>
        <translation>(a click on a head sorts, a double-click opens the lap&apos;s run)</translation>
    </message>
    <message>
        <source>%1 件</source>
        <translation>%1 runs</translation>
    </message>
    <message>
        <source>%1 件を選んでいます</source>
        <translation>%1 runs chosen</translation>
    </message>
    <message>
        <source>メモを保存しました</source>
        <translation>Notes saved</translation>
    </message>
    <message>
        <source>ファイルを探す</source>
        <translation>Locate File</translation>
    </message>
    <message>
        <source>重ねて開けるのは %1 件までです。</source>
        <translation>At most %1 runs can be opened overlaid.</translation>
    </message>
    <message>
        <source>ライブラリに取り込む</source>
        <translation>Import into the Library</translation>
    </message>
    <message>
        <source>取り込んでいます…</source>
        <translation>Importing…</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>取り込んでいます… %1 / %2</source>
        <translation>Importing… %1 / %2</translation>
    </message>
    <message>
        <source>  残り %1</source>
        <translation>  %1 left</translation>
    </message>
    <message>
        <source>追加 %1、登録済み %2、移動 %3、変更あり %4、データファイルでないもの %5</source>
        <translation>Added %1, already there %2, moved %3, changed %4, not data files %5</translation>
    </message>
    <message>
        <source>
中止しました。</source>
        <translation>
Cancelled.</translation>
    </message>
</context>
<context>
    <name>yb::StrategyPanel</name>
    <message>
        <source>残りのレースの作戦 — %1</source>
        <translation>Strategy for the rest of the race — %1</translation>
    </message>
    <message>
        <source>条件</source>
        <translation>Inputs</translation>
    </message>
    <message>
        <source>一定で走る速度</source>
        <translation>The speed to hold</translation>
    </message>
    <message>
        <source>周回から求めたエネルギーモデル  e = a + b v²</source>
        <translation>Energy model fitted to the laps  e = a + b v²</translation>
    </message>
    <message>
        <source>残り時間(&amp;R)</source>
        <translation>Time &amp;remaining</translation>
    </message>
    <message>
        <source>バッテリー初期容量(&amp;C)</source>
        <translation>Initial battery &amp;capacity</translation>
    </message>
    <message>
        <source>現在の残量(&amp;N)</source>
        <translation>Charge &amp;now</translation>
    </message>
    <message>
        <source>目標残量 (終了時)(&amp;G)</source>
        <translation>Target char&amp;ge (at the end)</translation>
    </message>
    <message>
        <source>予想ソーラー電力(&amp;S)</source>
        <translation>Expected &amp;solar power</translation>
    </message>
    <message>
        <source>車両質量(&amp;M)</source>
        <translation>Car &amp;mass</translation>
    </message>
    <message>
        <source>駆動効率(&amp;E)</source>
        <translation>Drivetrain &amp;efficiency</translation>
    </message>
    <message>
        <source>空気密度(&amp;A)</source>
        <translation>&amp;Air density</translation>
    </message>
    <message>
        <source> 分</source>
        <translation> min</translation>
    </message>
    <message>
        <source>未設定</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>空欄 (最小値) のときは記録の終了時の残量を使います。</source>
        <translation>At its lowest (blank) the charge at the end of the record is used.</translation>
    </message>
    <message>
        <source>空欄 (最小値) のときは記録の最後の1時間の平均ソーラー電力を使います。</source>
        <translation>At its lowest (blank) the mean solar power of the record&apos;s last hour is used.</translation>
    </message>
    <message>
        <source>転がり抵抗係数を出すのに使います。</source>
        <translation>Used for the rolling-resistance coefficient.</translation>
    </message>
    <message>
        <source>周回の平均速度 [km/h]</source>
        <translation>Lap&apos;s average speed [km/h]</translation>
    </message>
    <message>
        <source>記録の終了時 (%1)</source>
        <translation>end of the record (%1)</translation>
    </message>
    <message>
        <source>最後の1時間の平均 (%1)</source>
        <translation>mean of the last hour (%1)</translation>
    </message>
    <message>
        <source>答えなし</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>周回数</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>目標ラップタイム</source>
        <translation>Target lap time</translation>
    </message>
    <message>
        <source>1周のエネルギー予算 (モーター)</source>
        <translation>Energy budget per lap (motor)</translation>
    </message>
    <message>
        <source>使えるエネルギー</source>
        <translation>Energy to spend</translation>
    </message>
    <message>
        <source>現在の残量</source>
        <translation>Charge now</translation>
    </message>
    <message>
        <source>ソーラー電力</source>
        <translation>Solar power</translation>
    </message>
    <message>
        <source>平均メイン電圧</source>
        <translation>Mean main voltage</translation>
    </message>
    <message>
        <source>1周の距離</source>
        <translation>Lap length</translation>
    </message>
    <message>
        <source>使った周回</source>
        <translation>Laps used</translation>
    </message>
    <message>
        <source>速度の範囲</source>
        <translation>Speed range</translation>
    </message>
    <message>
        <source>転がり抵抗係数 Crr</source>
        <translation>Rolling resistance Crr</translation>
    </message>
    <message>
        <source>空気抵抗 CdA</source>
        <translation>Drag area CdA</translation>
    </message>
    <message>
        <source>第%1周: %2</source>
        <translation>Lap %1: %2</translation>
    </message>
    <message>
        <source>除いた周回</source>
        <translation>Laps left out</translation>
    </message>
    <message>
        <source>周回</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>モデル</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>答え %1 km/h</source>
        <translation>answer %1 km/h</translation>
    </message>
</context>
<context>
    <name>yb::ViewerWindow</name>
    <message>
        <source>データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)</source>
        <translation>Data files (*.csv *.txt *.tsv);;All files (*)</translation>
    </message>
    <message>
        <source>ベストラップ</source>
        <translation>Best lap</translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation>Charts</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>データファイルを開く(&amp;O)…</source>
        <translation>&amp;Open data file…</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>比較するファイルを重ねる(&amp;M)…</source>
        <translation>Co&amp;mpare with a file…</translation>
    </message>
    <message>
        <source>グラフを画像で書き出す (PNG)(&amp;I)…</source>
        <translation>Export charts as &amp;image (PNG)…</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>全体を表示(&amp;A)</source>
        <translation>Show &amp;all</translation>
    </message>
    <message>
        <source>選んだ周回をベストラップと重ねる(&amp;L)</source>
        <translation>Overlay the chosen &amp;lap on the best lap</translation>
    </message>
    <message>
        <source>ファイル → データファイルを開く… (Ctrl+O) でデータファイルを開きます。</source>
        <translation>Open a data file with File → Open data file… (Ctrl+O).</translation>
    </message>
    <message>
        <source> — 部分データ</source>
        <translation> — partial data</translation>
    </message>
    <message>
        <source>部分データ: 空の行があります (読出しが途中で終わったファイル)。記録数と記録時間は値のある行だけのものです。</source>
        <translation>Partial data: there are empty rows (a download that ended early). The records and the recording time count only the rows with values.</translation>
    </message>
    <message>
        <source>保存日時  </source>
        <translation>Saved  </translation>
    </message>
    <message>
        <source>概要</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>Whole run</translation>
    </message>
    <message>
        <source>表示範囲</source>
        <translation>Range shown</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source> 分</source>
        <translation> min</translation>
    </message>
    <message>
        <source>データに周回の開始時刻はありません。最初の記録から何分後に第1周が始まったかを入れると、周回の位置が移ります。</source>
        <translation>The data holds no lap start time. Enter how many minutes after the first record lap 1 started, and the laps move there.</translation>
    </message>
    <message>
        <source>周回開始</source>
        <translation>Lap start</translation>
    </message>
    <message>
        <source>未設定</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>ロガーに設定したバッテリー初期容量。バッテリー残量の計算に使います。</source>
        <translation>The initial battery capacity set in the logger. It is used to work out the battery&apos;s remaining charge.</translation>
    </message>
    <message>
        <source>バッテリー初期容量</source>
        <translation>Initial battery capacity</translation>
    </message>
    <message>
        <source>クリックでその周回に拡大、ダブルクリックでベストラップと重ねて表示</source>
        <translation>Click to zoom to the lap, double-click to overlay it on the best lap</translation>
    </message>
    <message>
        <source>選んだ周回をベストラップと重ねる</source>
        <translation>Overlay the chosen lap on the best lap</translation>
    </message>
    <message>
        <source>表示範囲 </source>
        <translation>Range shown </translation>
    </message>
    <message>
        <source>データファイルを開く</source>
        <translation>Open data file</translation>
    </message>
    <message>
        <source>比較するファイルを開く</source>
        <translation>Open the file to compare</translation>
    </message>
    <message>
        <source>記録間隔が不明なファイルと分かっているファイルは重ねられません。</source>
        <translation>A file whose recording interval is unknown cannot be compared with one whose interval is known.</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>書き出す</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>書き出しました: %1</source>
        <translation>Exported: %1</translation>
    </message>
    <message>
        <source>比較をやめる(&amp;S)</source>
        <translation>&amp;Stop comparing</translation>
    </message>
    <message>
        <source>レポートを書き出す (PDF)(&amp;P)…</source>
        <translation>Export re&amp;port (PDF)…</translation>
    </message>
    <message>
        <source>履歴を消去(&amp;C)</source>
        <translation>&amp;Clear history</translation>
    </message>
    <message>
        <source>エクスポート(&amp;E)…</source>
        <translation>&amp;Export data…</translation>
    </message>
    <message>
        <source>表示している範囲だけを書き出しますか、全体を書き出しますか？</source>
        <translation>Export only the range shown, or the whole run?</translation>
    </message>
    <message>
        <source>表示範囲 (%1)</source>
        <translation>Range shown (%1)</translation>
    </message>
    <message>
        <source>エクスポート</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>残りのレースの作戦(&amp;S)…</source>
        <translation>&amp;Strategy for the rest of the race…</translation>
    </message>
    <message>
        <source>作戦…</source>
        <translation>Strategy…</translation>
    </message>
    <message>
        <source>この速度なら残りのレースを走りきれるか: 周回から求めたエネルギーモデルで</source>
        <translation>Which speed lasts the rest of the race: with the energy model fitted to the laps</translation>
    </message>
    <message>
        <source>カーソルの位置にマーカーを付ける(&amp;M)</source>
        <translation>Add a &amp;Marker at the Cursor</translation>
    </message>
    <message>
        <source>ドラッグで拡大 · Shift+ドラッグ・←→で移動 · ホイールで拡大縮小 · 右クリックで縮小・マーカー · M でマーカー · ダブルクリックまたは Home で全体 · 凡例クリックで表示切替</source>
        <translation>Drag to zoom · Shift+drag or ←→ to move · wheel to zoom in and out · right-click to zoom out or mark · M to mark · double-click or Home for all · click the legend to show or hide</translation>
    </message>
    <message>
        <source>周回</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>重ねた走行 (%1)</source>
        <translation>Runs laid over (%1)</translation>
    </message>
    <message>
        <source>重ねた走行を時間軸に沿って動かします。</source>
        <translation>Moves the run laid over along the time axis.</translation>
    </message>
    <message>
        <source>重ねるのをやめる</source>
        <translation>Take it off</translation>
    </message>
    <message>
        <source>重ね%1
タイム</source>
        <translation>Over %1
time</translation>
    </message>
    <message>
        <source>時刻</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>M キーかグラフの右クリックでカーソルの位置に付けます</source>
        <translation>The M key or a right click on a chart puts one at the cursor</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>マーカー (%1)</source>
        <translation>Markers (%1)</translation>
    </message>
    <message>
        <source>マーカーを保存できません: %1</source>
        <translation>The markers cannot be saved: %1</translation>
    </message>
    <message>
        <source>重ねられるのは %1 件までです。</source>
        <translation>At most %1 runs can be laid over.</translation>
    </message>
    <message>
        <source>マーカーの時刻は 0:00:00 から %1 までを h:mm:ss で入力してください</source>
        <translation>Type the marker&apos;s time as h:mm:ss, from 0:00:00 to %1</translation>
    </message>
    <message>
        <source>マーカーはデータの保存で保存されます。保存せずにこのウィンドウを閉じると消えます</source>
        <translation>The markers are saved when the data is saved; closed before that, this window loses them</translation>
    </message>
    <message>
        <source>容量をファイルのメモに保存できません (このコンピューターで覚えます): %1</source>
        <translation>The capacity cannot be kept in the file&apos;s notes (this computer remembers it): %1</translation>
    </message>
</context>
</TS>
