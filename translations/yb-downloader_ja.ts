<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>ChartStack</name>
    <message>
        <source>温度 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>縮小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ここにマーカーを追加</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CommPort</name>
    <message>
        <source>invalid port number %1</source>
        <translation>ポート番号 %1 は使えません</translation>
    </message>
    <message>
        <source>COM%1: no such serial port</source>
        <translation>COM%1: そのシリアルポートはありません</translation>
    </message>
    <message>
        <source>%1 (in use by another program, or the user is not in the dialout group)</source>
        <translation>%1 (ほかのプログラムが使用中か、ユーザーが dialout グループに入っていません)</translation>
    </message>
    <message>
        <source>%1: the port refuses the line settings</source>
        <translation>%1: ポートが通信設定を受け付けません</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1: the setting is tyre, battery or interval</source>
        <translation>%1: 設定は tyre、battery、interval のどれかです</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>コマンドがありません</translation>
    </message>
    <message>
        <source>wrong arguments for %1</source>
        <translation>%1 の引数が正しくありません</translation>
    </message>
    <message>
        <source>--retries takes 0 to 10</source>
        <translation>--retries は 0 から 10 です</translation>
    </message>
    <message>
        <source>--lang %1: the language is ja or en</source>
        <translation>--lang %1: 言語は ja か en です</translation>
    </message>
    <message>
        <source>unknown command %1; the commands are %2</source>
        <translation>%1 というコマンドはありません。コマンドは %2 です</translation>
    </message>
    <message>
        <source>no display: set DISPLAY or use the command line (download, summary, report)</source>
        <translation>画面がありません: DISPLAY を設定するか、コマンドライン (download, summary, report) を使ってください</translation>
    </message>
</context>
<context>
    <name>DataFile</name>
    <message>
        <source>データファイルを保存出来ませんでした</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the store holds more records than it has room for</source>
        <translation>記録の数が保存できる数を超えています</translation>
    </message>
    <message>
        <source>no Shift-JIS converter</source>
        <translation>Shift-JIS に変換できません</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>%1 を作成できません: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 を書き込めません: %2</translation>
    </message>
    <message>
        <source>cannot replace %1: %2</source>
        <translation>%1 を置き換えられません: %2</translation>
    </message>
    <message>
        <source>データ１がありません</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DataFileReader</name>
    <message>
        <source>no Shift-JIS decoder on this system</source>
        <translation>このシステムでは Shift-JIS を読めません</translation>
    </message>
    <message>
        <source>neither Shift-JIS nor UTF-8 text</source>
        <translation>Shift-JIS でも UTF-8 でもありません</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>空のファイルです</translation>
    </message>
    <message>
        <source>not a YB data file: the first line is not &quot;%1&quot;</source>
        <translation>YB のデータファイルではありません: 1 行目が &quot;%1&quot; ではありません</translation>
    </message>
    <message>
        <source>no comma or tab after %1</source>
        <translation>%1 の後にカンマもタブもありません</translation>
    </message>
    <message>
        <source>nothing may follow the lap data</source>
        <translation>周回データの後には何も書けません</translation>
    </message>
    <message>
        <source>expected the lap section</source>
        <translation>ここには周回データが来るはずです</translation>
    </message>
    <message>
        <source>expected the temperature or lap section</source>
        <translation>ここには温度データか周回データが来るはずです</translation>
    </message>
    <message>
        <source>the file ends after line %1</source>
        <translation>ファイルが %1 行目で終わっています</translation>
    </message>
    <message>
        <source>%1 fields where %2 has %3</source>
        <translation>%2 の項目は %3 個ですが、%1 個あります</translation>
    </message>
    <message>
        <source>expected %1</source>
        <translation>ここには %1 が来るはずです</translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation>%1 の行</translation>
    </message>
    <message>
        <source>%1 heads</source>
        <translation>%1 の列見出し</translation>
    </message>
    <message>
        <source>expected the column head %1 where %2 stands</source>
        <translation>%2 の所に列見出し %1 が来るはずです</translation>
    </message>
    <message>
        <source>%1 is not a count after %2</source>
        <translation>%2 の後の %1 はデータ数ではありません</translation>
    </message>
    <message>
        <source>row number %1 where %2 was expected</source>
        <translation>行番号が %2 のはずの所に %1 があります</translation>
    </message>
    <message>
        <source>more rows in %1 than the count of %2</source>
        <translation>%1 の行がデータ数 %2 より多くあります</translation>
    </message>
    <message>
        <source>%1 ends after %2 of %3 rows</source>
        <translation>%1 が %3 行のうち %2 行で終わっています</translation>
    </message>
    <message>
        <source>%1 under %2 is not a number</source>
        <translation>%2 の %1 は数値ではありません</translation>
    </message>
    <message>
        <source>unknown recording interval %1</source>
        <translation>記録間隔 %1 が分かりません</translation>
    </message>
    <message>
        <source>unknown temperature interval %1</source>
        <translation>温度の記録間隔 %1 が分かりません</translation>
    </message>
    <message>
        <source>larger than %1 MiB: no data file of the logger is that large</source>
        <translation>%1 MiB を超えています: ロガーのデータファイルはこれほど大きくありません</translation>
    </message>
    <message>
        <source>not a regular file (a device, a pipe or a socket)</source>
        <translation>通常のファイルではありません (デバイス、パイプまたはソケット)</translation>
    </message>
    <message>
        <source>a folder, not a data file</source>
        <translation>データファイルではなくフォルダーです</translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>&apos;D1?&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ１:%1個</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;D1+nnnn&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;D2?&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度データ:%1個</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;D2+nnnn&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;L2?&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;L?&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回データ:%1個</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;LD+nn&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;TMP?&apos; コマンドエラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ読出し完了...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ読出しを中止しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ロガーのデータが変わっています。最初から読出してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>応答が遅れて届きました。ずれたおそれのあるデータは破棄しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 記録 %2 / %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>応答なし</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>行末のない応答 (%1 文字)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ポートが使えなくなりました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不正な応答 (%1 文字)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DownloadMeter</name>
    <message numerus="yes">
        <source>  再試行 %n 回</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>残り %1:%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 / %2 個  %3 個/秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完了</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1  読出し %2 個  %3 秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  温度オプションなし</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EnergyModel</name>
    <message>
        <source>タイムなし</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モーター電力量なし</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>距離なし (速度の記録がない)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ピット (中央値の1.5倍より遅い)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ExportCommand</name>
    <message>
        <source>export: --format %1: the formats are %2</source>
        <translation>export: --format %1: 形式は %2 のいずれかです</translation>
    </message>
    <message>
        <source>%1: the recording interval is unknown, so --start gives no clock</source>
        <translation>%1: 記録間隔が不明なので、--start から時刻を付けられません</translation>
    </message>
    <message>
        <source>export: --format is needed: %1</source>
        <translation>export: --format を指定してください: %1</translation>
    </message>
</context>
<context>
    <name>Exports</name>
    <message>
        <source>cannot write the MATLAB file: %1</source>
        <translation>MATLAB ファイルを書けません: %1</translation>
    </message>
    <message>
        <source>cannot read %1 back: %2</source>
        <translation>%1 を読み返せません: %2</translation>
    </message>
    <message>
        <source>the library wrote the file incomplete: a write failed (a full disk?)</source>
        <translation>ライブラリが書いたファイルが不完全です: 書込みに失敗しました (ディスクがいっぱい?)</translation>
    </message>
    <message>
        <source>cannot start the Excel workbook</source>
        <translation>Excel ブックを作れません</translation>
    </message>
    <message>
        <source>cannot write the Excel workbook: %1</source>
        <translation>Excel ブックを書けません: %1</translation>
    </message>
    <message>
        <source>a data file: an export never replaces one</source>
        <translation>データファイルです: エクスポートでデータファイルを置き換えることはありません</translation>
    </message>
    <message>
        <source>the Excel and MATLAB writers cannot be loaded (%1)</source>
        <translation>Excel と MATLAB の書き出し部を読み込めません (%1)</translation>
    </message>
</context>
<context>
    <name>FileTarget</name>
    <message>
        <source>a folder: the file needs a name</source>
        <translation>フォルダーです: ファイル名が必要です</translation>
    </message>
    <message>
        <source>not a regular file: nothing is written there</source>
        <translation>通常のファイルではありません: そこには書き込みません</translation>
    </message>
    <message>
        <source>the file exists; --force replaces it</source>
        <translation>ファイルが既にあります。置き換えるには --force を付けてください</translation>
    </message>
    <message>
        <source>the file is read-only: it is not replaced</source>
        <translation>ファイルは読み取り専用です: 置き換えません</translation>
    </message>
    <message>
        <source>the folder does not exist or cannot be written</source>
        <translation>フォルダーがないか、書き込めません</translation>
    </message>
</context>
<context>
    <name>Format</name>
    <message>
        <source>the main data</source>
        <translation>データ１</translation>
    </message>
    <message>
        <source>データ１</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the temperature data</source>
        <translation>温度データ</translation>
    </message>
    <message>
        <source>温度データ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the lap data</source>
        <translation>周回データ</translation>
    </message>
    <message>
        <source>周回データ</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>cancelled: the library was left as it was</source>
        <translation>中止しました: ライブラリは元のままです</translation>
    </message>
    <message>
        <source>the library %1 was made again from the data files and their notes</source>
        <translation>ライブラリ %1 をデータファイルとそのメモから作り直しました</translation>
    </message>
    <message>
        <source>%1 was not added to the library: %2</source>
        <translation>%1 はライブラリに追加されませんでした: %2</translation>
    </message>
</context>
<context>
    <name>LibraryCommand</name>
    <message>
        <source>%1 / %2 files</source>
        <translation>%1 / %2 ファイル</translation>
    </message>
    <message>
        <source>  %1 left</source>
        <translation>  残り %1</translation>
    </message>
    <message>
        <source>%1: no such run in the library</source>
        <translation>%1: ライブラリにそのような走行はありません</translation>
    </message>
    <message>
        <source>library add: name the files or folders to add</source>
        <translation>library add: 追加するファイルかフォルダを指定してください</translation>
    </message>
    <message>
        <source>added %1, already there %2, moved %3, changed %4, not data files %5</source>
        <translation>追加 %1、登録済み %2、移動 %3、変更あり %4、データファイルでないもの %5</translation>
    </message>
    <message>
        <source>%1 %2: a date is yyyy-MM-dd, a time yyyy-MM-ddTHH:mm</source>
        <translation>%1 %2: 日付は yyyy-MM-dd、日時は yyyy-MM-ddTHH:mm で指定してください</translation>
    </message>
    <message>
        <source>run</source>
        <translation>番号</translation>
    </message>
    <message>
        <source>run %1: %2</source>
        <translation>走行 %1: %2</translation>
    </message>
    <message>
        <source>conditions: </source>
        <translation>コンディション: </translation>
    </message>
    <message>
        <source>tags: </source>
        <translation>タグ: </translation>
    </message>
    <message>
        <source>notes: </source>
        <translation>メモ: </translation>
    </message>
    <message>
        <source>download: </source>
        <translation>読出し: </translation>
    </message>
    <message>
        <source>marker %1 %2: %3</source>
        <translation>マーカー %1 %2: %3</translation>
    </message>
    <message>
        <source>--start %1: a time is yyyy-MM-ddTHH:mm[:ss]</source>
        <translation>--start %1: 日時は yyyy-MM-ddTHH:mm[:ss] で指定してください</translation>
    </message>
    <message>
        <source>every file is there and unchanged</source>
        <translation>すべてのファイルがあり、変更されていません</translation>
    </message>
    <message>
        <source>library %1: the actions are add, list, show, set, check and rebuild</source>
        <translation>library %1: 操作は add、list、show、set、check、rebuild です</translation>
    </message>
    <message>
        <source>wrong arguments for library %1</source>
        <translation>library %1 の引数が正しくありません</translation>
    </message>
    <message>
        <source>the library holds %1 runs</source>
        <translation>ライブラリには %1 件の走行があります</translation>
    </message>
</context>
<context>
    <name>LoggerCommands</name>
    <message>
        <source>partial data file: the download ended early; the file holds what was fetched until then</source>
        <translation>部分データのファイルです: ダウンロードが途中で終わりました。ファイルにはそれまでに受け取ったデータがあります</translation>
    </message>
    <message>
        <source>%1: -o names the complete file; --force replaces this one</source>
        <translation>%1: 完成したファイルの名前を -o で指定してください。--force ではこのファイルを置き換えます</translation>
    </message>
    <message>
        <source>the records fetched are saved in %1 instead</source>
        <translation>受け取ったデータは代わりに %1 に保存しました</translation>
    </message>
    <message>
        <source>the records fetched could not be saved in the current or the temporary folder either</source>
        <translation>受け取ったデータは現在のフォルダーにも一時フォルダーにも保存できませんでした</translation>
    </message>
    <message>
        <source>%1: complete: it holds everything the logger holds</source>
        <translation>%1: 完全なファイルです: ロガーのデータをすべて含んでいます</translation>
    </message>
    <message>
        <source>--retries N sends a failed request again; --resume FILE goes on from the partial file</source>
        <translation>--retries N で失敗した要求を再送し、--resume FILE で部分データのファイルから続けられます</translation>
    </message>
    <message>
        <source>%1: no data file written</source>
        <translation>%1: データファイルは書き込んでいません</translation>
    </message>
</context>
<context>
    <name>Output</name>
    <message>
        <source>stdout: the results could not be written: %1</source>
        <translation>stdout: 結果を書き込めませんでした: %1</translation>
    </message>
    <message>
        <source>usage: yb-downloader download|check|get|set|ports|view|report|summary|strategy|export|library [options]; yb-downloader --help lists them</source>
        <translation>使い方: yb-downloader download|check|get|set|ports|view|report|summary|strategy|export|library [オプション]。オプションの一覧は yb-downloader --help で表示されます</translation>
    </message>
</context>
<context>
    <name>PartialRun</name>
    <message>
        <source>not a partial data file: %1</source>
        <translation>部分データのファイルではありません: %1</translation>
    </message>
    <message>
        <source>%1 follows the stopped section</source>
        <translation>止まった所より後に %1 があります</translation>
    </message>
    <message>
        <source>%1 has too many rows</source>
        <translation>%1 の行が多すぎます</translation>
    </message>
    <message>
        <source>row %1 of %2 is half empty</source>
        <translation>%2 の %1 行目は一部の値だけが空です</translation>
    </message>
    <message>
        <source>row %1 of %2 holds values after an empty row</source>
        <translation>%2 の %1 行目: 空の行の後に値があります</translation>
    </message>
    <message>
        <source>row %1 of %2 holds a value no download has</source>
        <translation>%2 の %1 行目にダウンロードでは出ない値があります</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>cannot write: %1</source>
        <translation>書き込めません: %1</translation>
    </message>
    <message>
        <source>the PDF could not be written</source>
        <translation>PDF を書き込めませんでした</translation>
    </message>
    <message>
        <source>表示範囲 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>比較 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (薄い色)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>部分データ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the image could not be written</source>
        <translation>画像を書き込めませんでした</translation>
    </message>
    <message>
        <source>保存日時 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>    保存先 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>レポート作成 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回データはありません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>概要</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示範囲の概要  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>drawing the charts needs a QApplication</source>
        <translation>グラフを描くには QApplication が必要です</translation>
    </message>
    <message>
        <source>the output must end with .pdf or .png</source>
        <translation>出力先の名前は .pdf か .png で終わる必要があります</translation>
    </message>
    <message>
        <source>cannot create the file: %1</source>
        <translation>ファイルを作成できません: %1</translation>
    </message>
    <message>
        <source>cannot replace the file: %1</source>
        <translation>ファイルを置き換えられません: %1</translation>
    </message>
    <message>
        <source>マーカー</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunCharts</name>
    <message>
        <source>電流 [A]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー電流</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー電流</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>電力 [W]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー電力</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー電力</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>メイン電圧 [V]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>メイン電圧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サブ電圧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サブ電圧 [V]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速度 [km/h]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>電力量 [Wh]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー積算</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー積算</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モーター積算</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー残量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>残量 [Ah]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度 [℃]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>経過時間 [時:分]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録番号 (記録間隔不明)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度の経過時間 [時:分]</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunColumns</name>
    <message>
        <source>読出し日時</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>イベント</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>走行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>コース</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ドライバー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録時間</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>距離 km</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ベストラップ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wh/km</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー Wh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>部分</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>メモ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>電費</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>走行距離</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー発電量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー電力量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最高温度</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunEnergy</name>
    <message>
        <source>バッテリー初期容量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>終了時の残量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>終了時の充電状態</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>終了時の蓄電量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未設定</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunIndex</name>
    <message>
        <source>the library %1 cannot be written: %2</source>
        <translation>ライブラリ %1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>made by a later version of the program (schema %1, this one knows %2)</source>
        <translation>新しい版のプログラムで作られています (スキーマ %1、この版は %2 まで)</translation>
    </message>
    <message>
        <source>not a library of this program</source>
        <translation>このプログラムのライブラリではありません</translation>
    </message>
    <message>
        <source>the library %1 cannot be opened: %2</source>
        <translation>ライブラリ %1 を開けません: %2</translation>
    </message>
    <message>
        <source>its folder cannot be made</source>
        <translation>フォルダを作れません</translation>
    </message>
    <message>
        <source>the library %1 could not be used (%2): moved aside to %3 and made again from the data files</source>
        <translation>ライブラリ %1 は使えませんでした (%2): %3 に移し、データファイルから作り直しました</translation>
    </message>
    <message>
        <source>the library&apos;s list of folders %1 cannot be written: %2</source>
        <translation>ライブラリのフォルダ一覧 %1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>no run %1 in the library</source>
        <translation>ライブラリに走行 %1 はありません</translation>
    </message>
    <message>
        <source>%1 holds other data than the run&apos;s file</source>
        <translation>%1 はこの走行のファイルと別のデータです</translation>
    </message>
</context>
<context>
    <name>RunNotes</name>
    <message>
        <source>ピットストップ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ドライバー交代</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>インシデント</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>メモ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a notes file</source>
        <translation>メモのファイルではありません</translation>
    </message>
    <message>
        <source>not a JSON object</source>
        <translation>JSON オブジェクトではありません</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds a value of the wrong kind</source>
        <translation>&quot;%1&quot; の値の種類が正しくありません</translation>
    </message>
</context>
<context>
    <name>RunOptions</name>
    <message>
        <source>%1: --to must lie after --from</source>
        <translation>%1: --to は --from より後にしてください</translation>
    </message>
    <message>
        <source>%1: the recording interval is unknown, so --from and --to cannot be placed</source>
        <translation>%1: 記録間隔が分からないため、--from と --to の位置を決められません</translation>
    </message>
    <message>
        <source>%1: --%2 %3: too large a number of minutes</source>
        <translation>%1: --%2 %3: 分数が大きすぎます</translation>
    </message>
    <message>
        <source>%1: the window holds no record: the run lasts %2 min (--from 0 to --to %2)</source>
        <translation>%1: この範囲には記録がありません: 記録は %2 分です (--from 0 から --to %2)</translation>
    </message>
    <message>
        <source>%1: --start %2: a local date and time such as 2026-07-30T09:15:00</source>
        <translation>%1: --start %2: 2026-07-30T09:15:00 のような現地の日時にしてください</translation>
    </message>
    <message>
        <source>a number above 0</source>
        <translation>0 より大きい数</translation>
    </message>
    <message>
        <source>a number from 0 to 100</source>
        <translation>0～100 の数</translation>
    </message>
    <message>
        <source>minutes, a number of 0 or more</source>
        <translation>分 (0 以上の数)</translation>
    </message>
    <message>
        <source>a number of 0 or more</source>
        <translation>0 以上の数</translation>
    </message>
    <message>
        <source>a number above 0, at most 1</source>
        <translation>0 より大きく 1 以下の数</translation>
    </message>
    <message>
        <source>strategy: --remaining MIN is needed: the minutes left in the race</source>
        <translation>strategy: --remaining MIN が必要です: レースの残り時間 (分)</translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>記録数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録間隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録時間</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>走行距離</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>平均速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最高速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー発電量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー電力量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最低メイン電圧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最高温度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ベストラップ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ベストラップの周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モーター電力量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>部分データ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不明</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>はい (空の行あり)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タイム</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>開始</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>距離</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>平均</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モーター</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <comment>the lap table&apos;s title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回  (ベスト %1周目 %2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SaveCommand</name>
    <message>
        <source>%1 に上書きしますか？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(CSVファイル) | *.csv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(テキストファイル) | *.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイル</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイルに保存しました : %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>シリアルポートが使用できなくなりました: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM 設定エラー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>YB 接続確認できました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>YB 接続確認できませんでした</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the port does not take what is written</source>
        <translation>ポートが書き込みを受け付けません</translation>
    </message>
    <message>
        <source>port number out of range</source>
        <translation>ポート番号が範囲外です</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>タイヤ周長の読出しに失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タイヤ周長は 256～65535[mm] の値にしてください</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タイヤ周長の書込みに成功しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タイヤ周長の書込みに失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリ初期値の読出しに失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリAh初期値は 05.00～50.00[Ah] の値にしてください</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリ初期値の書込みに成功しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリ初期値の書込みに失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ記録時間間隔の読出しに失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ記録時間間隔の書込みに成功しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ記録時間間隔の書込みに失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Strategy</name>
    <message>
        <source>エネルギーモデルがありません: 速度の違う周回が2周以上必要です</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー初期容量が未設定です</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>現在の残量が分かりません (バッテリー電流とメイン電圧の記録がない)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー電力が分かりません: 予想値を入れてください</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>残り時間を入れてください</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モデルが弱い: %1周から R² %2 (4周以上、R² 0.5以上が目安)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>外挿: %1 km/h は周回の速度 %2～%3 km/h の外です</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目標残量に届きません: 走らなくても終了時の残量は %1 % です (目標 %2 %)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モデルの b が 0 以下です: 速度とともに電力量が増えないので速度を決められません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速度 [km/h]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>終了時の残量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>結果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>電池切れ (%1 分後)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目標残量で完走</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目標残量を割る</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モデル</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使った周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1周 (%2～%3 km/h)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>除いた周回 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>作戦</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>現在の残量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使えるエネルギー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>一定速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目標ラップタイム</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1周のエネルギー予算</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>注意</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StrategyCommand</name>
    <message>
        <source>warning: %1</source>
        <translation>注意: %1</translation>
    </message>
</context>
<context>
    <name>Viewer</name>
    <message>
        <source>ダウンロードしたデータ</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ViewerCommands</name>
    <message>
        <source>%1: needs a QApplication</source>
        <translation>%1: QApplication が必要です</translation>
    </message>
    <message>
        <source>report: %1: the output must end with .pdf or .png</source>
        <translation>report: %1: 出力先の名前は .pdf か .png で終わる必要があります</translation>
    </message>
</context>
<context>
    <name>yb::Form1</name>
    <message>
        <source>接続確認</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ読出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV形式で保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度センサ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>終了</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タイヤ周長 [mm]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリ初期値 [Ah]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データ記録時間間隔 [秒]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>読出し</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>書込み</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイルを開く…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通信(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>続きから読出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>失敗した要求を再試行 (%1回)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>グラフ…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>言語</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ポートを開けません: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データを保存していません。このまま読出しますか？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイルを開く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2
Qt %3
ライセンス: GPL-3.0-or-later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データを保存していません。このまま終了しますか？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通信 → 失敗した要求を再試行 / 続きから読出 で続けられます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ライブラリ…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ライブラリに取り込む…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存したファイルをライブラリに追加</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>yb::LapOverlay</name>
    <message>
        <source>周回の比較 — %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>第%1周</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速度 [km/h]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モーター電力 [W]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回開始からの時間 [秒]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>第%1周 (ベスト)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>第%1周 %2 − ベスト 第%3周 %4 = %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>基準</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>横軸</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>時間(&amp;T)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>距離(&amp;D)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像で書き出す (PNG)(&amp;E)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Δt 第%1周 − 第%2周</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回開始からの距離 [km]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タイム差 [秒]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>第%1周 %2 − 基準 第%3周 %4 = %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>書き出す</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>yb::LibraryWindow</name>
    <message>
        <source>ライブラリ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>一覧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>傾向</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>開く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>選んだ走行をグラフで開きます (ダブルクリックでも開きます)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ねて開く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>選んだ 2～8 件の走行を一つのグラフに重ねて開きます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取り込む…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>フォルダの中のデータファイルをすべてライブラリに追加します</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最新の状態に</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>絞り込み (文字の欄、ファイル名、マーカー)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>すべてのコース</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>すべてのドライバー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>すべてのタグ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完全・部分とも</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完全なもの</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>部分データ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>から</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>まで</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>コンマで区切って複数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>天気、日射、風</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最初の記録の時刻</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>コンディション</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>タグ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー容量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>読出し</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルを探す…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>移したファイルの新しい場所を選びます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>読出し日時ごとの</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(点をクリックするとその走行を開きます)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>平均速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>指定なし</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(見出しのクリックで並べ替え、ダブルクリックでその走行を開きます)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 件を選んでいます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>メモを保存しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルを探す</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ねて開けるのは %1 件までです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ライブラリに取り込む</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取り込んでいます…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取り込んでいます… %1 / %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  残り %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>追加 %1、登録済み %2、移動 %3、変更あり %4、データファイルでないもの %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
中止しました。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>yb::StrategyPanel</name>
    <message>
        <source>残りのレースの作戦 — %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>条件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>一定で走る速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回から求めたエネルギーモデル  e = a + b v²</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>残り時間(&amp;R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー初期容量(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>現在の残量(&amp;N)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目標残量 (終了時)(&amp;G)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>予想ソーラー電力(&amp;S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>車両質量(&amp;M)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>駆動効率(&amp;E)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>空気密度(&amp;A)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 分</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>空欄 (最小値) のときは記録の終了時の残量を使います。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>空欄 (最小値) のときは記録の最後の1時間の平均ソーラー電力を使います。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>転がり抵抗係数を出すのに使います。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回の平均速度 [km/h]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録の終了時 (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最後の1時間の平均 (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>答えなし</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目標ラップタイム</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1周のエネルギー予算 (モーター)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使えるエネルギー</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>現在の残量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ソーラー電力</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>平均メイン電圧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1周の距離</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使った周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速度の範囲</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>転がり抵抗係数 Crr</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>空気抵抗 CdA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>第%1周: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>除いた周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>モデル</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>答え %1 km/h</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>yb::ViewerWindow</name>
    <message>
        <source>データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ベストラップ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイルを開く(&amp;O)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>比較するファイルを重ねる(&amp;M)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>グラフを画像で書き出す (PNG)(&amp;I)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全体を表示(&amp;A)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>選んだ周回をベストラップと重ねる(&amp;L)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイル → データファイルを開く… (Ctrl+O) でデータファイルを開きます。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> — 部分データ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>部分データ: 空の行があります (読出しが途中で終わったファイル)。記録数と記録時間は値のある行だけのものです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存日時  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>概要</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全体</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示範囲</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 分</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データに周回の開始時刻はありません。最初の記録から何分後に第1周が始まったかを入れると、周回の位置が移ります。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回開始</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ロガーに設定したバッテリー初期容量。バッテリー残量の計算に使います。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>バッテリー初期容量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>クリックでその周回に拡大、ダブルクリックでベストラップと重ねて表示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>選んだ周回をベストラップと重ねる</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示範囲 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>データファイルを開く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>比較するファイルを開く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>記録間隔が不明なファイルと分かっているファイルは重ねられません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>書き出す</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>書き出しました: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>比較をやめる(&amp;S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>レポートを書き出す (PDF)(&amp;P)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>履歴を消去(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>エクスポート(&amp;E)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示している範囲だけを書き出しますか、全体を書き出しますか？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表示範囲 (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>エクスポート</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>残りのレースの作戦(&amp;S)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>作戦…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>この速度なら残りのレースを走りきれるか: 周回から求めたエネルギーモデルで</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>カーソルの位置にマーカーを付ける(&amp;M)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ドラッグで拡大 · Shift+ドラッグ・←→で移動 · ホイールで拡大縮小 · 右クリックで縮小・マーカー · M でマーカー · ダブルクリックまたは Home で全体 · 凡例クリックで表示切替</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周回</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ねた走行 (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ねた走行を時間軸に沿って動かします。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ねるのをやめる</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ね%1
タイム</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>時刻</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>種類</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>M キーかグラフの右クリックでカーソルの位置に付けます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>削除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>マーカー (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>マーカーを保存できません: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重ねられるのは %1 件までです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>マーカーの時刻は 0:00:00 から %1 までを h:mm:ss で入力してください</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>マーカーはデータの保存で保存されます。保存せずにこのウィンドウを閉じると消えます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>容量をファイルのメモに保存できません (このコンピューターで覚えます): %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
