<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>コマンドラインのオプションの説明を表示します。</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>Qt 独自のオプションも含めて説明を表示します。</translation>
    </message>
</context>
<context>
    <name>pobelo_notes</name>
    <message>
        <source>it is a folder</source>
        <translation>フォルダーです</translation>
    </message>
    <message>
        <source>it is not a regular file (a pipe, device or socket) and is not replaced</source>
        <translation>ふつうのファイルではない（パイプ、デバイス、ソケットなど）ため、置き換えません</translation>
    </message>
    <message>
        <source>%1 cannot print Japanese: printed in %2</source>
        <translation>「%1」は日本語を印刷できないため、「%2」で印刷します</translation>
    </message>
    <message>
        <source>%1 is not installed: printed in %2</source>
        <translation>「%1」がないため、「%2」で印刷します</translation>
    </message>
</context>
<context>
    <name>pobelo_sheet</name>
    <message>
        <source>Runs the actions in FILE (&apos;-&apos; for standard input).</source>
        <translation>FILE（「-」なら標準入力）に書いた操作を行います。</translation>
    </message>
    <message>
        <source>Writes every print-surface operation to FILE.</source>
        <translation>印刷面への操作をすべて FILE に書きます。</translation>
    </message>
    <message>
        <source>Lists the headings of the question file.</source>
        <translation>問題ファイルの見出しを表示します。</translation>
    </message>
    <message>
        <source>Heading N goes on the right page.</source>
        <translation>見出し N を右ページに入れます。</translation>
    </message>
    <message>
        <source>Heading M goes on the left page.</source>
        <translation>見出し M を左ページに入れます。</translation>
    </message>
    <message>
        <source>Prints every heading, two to a sheet.</source>
        <translation>すべての見出しを一枚に二つずつ印刷します。</translation>
    </message>
    <message>
        <source>Prints the answers (解答つき) on the right pages, the left pages or both.</source>
        <translation>右ページ、左ページ、または両方を答えを入れて（解答つき）印刷します。</translation>
    </message>
    <message>
        <source>The pages&apos; title, numbered per heading.</source>
        <translation>ページの表題。見出しごとに番号が付きます。</translation>
    </message>
    <message>
        <source>Prints in font NAME, as picked in the font dialog.</source>
        <translation>フォントダイアログで選んだように、フォント NAME で印刷します。</translation>
    </message>
    <message>
        <source>Writes the sheets to the PDF file OUT.</source>
        <translation>小テストを PDF ファイル OUT に書きます。</translation>
    </message>
    <message>
        <source>Try pobelo-sheet --help.</source>
        <translation>pobelo-sheet --help で使い方を表示します。</translation>
    </message>
    <message>
        <source>--%1 is given more than once</source>
        <translation>--%1 が二度以上指定されています</translation>
    </message>
    <message>
        <source>%1 must be one line</source>
        <translation>%1 は一行にしてください</translation>
    </message>
    <message>
        <source>--%1 needs a heading number from 1 (see --list), not &quot;%2&quot;</source>
        <translation>--%1 には見出しの番号（1 から。--list を参照）を指定してください。「%2」は使えません</translation>
    </message>
    <message>
        <source>no question file given</source>
        <translation>問題ファイルが指定されていません</translation>
    </message>
    <message>
        <source>one question file at a time, not &quot;%1&quot;</source>
        <translation>問題ファイルは一度に一つです。「%1」は使えません</translation>
    </message>
    <message>
        <source>--list takes no --%1</source>
        <translation>--list には --%1 を指定できません</translation>
    </message>
    <message>
        <source>--answers takes right, left or both, not &quot;%1&quot;</source>
        <translation>--answers には right、left、both のどれかを指定してください。「%1」は使えません</translation>
    </message>
    <message>
        <source>--font needs a name</source>
        <translation>--font にはフォントの名前を指定してください</translation>
    </message>
    <message>
        <source>give the PDF file to write with -o OUT.pdf</source>
        <translation>書き出す PDF ファイルを -o OUT.pdf で指定してください</translation>
    </message>
    <message>
        <source>%1: no such question file</source>
        <translation>%1: 問題ファイルがありません</translation>
    </message>
    <message>
        <source>%1: is a folder, not a question file</source>
        <translation>%1: フォルダーです。問題ファイルではありません</translation>
    </message>
    <message>
        <source>%1: cannot be read</source>
        <translation>%1: 読むことができません</translation>
    </message>
    <message>
        <source>%1: holds no complete question record</source>
        <translation>%1: 完全な問題レコードがありません</translation>
    </message>
    <message>
        <source>%1 has headings 1 to %2, not %3 (see --list)</source>
        <translation>%1 の見出しは 1 から %2 までです。%3 はありません（--list を参照）</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>the sheets could not be drawn into %1 (%2 of %3 pages)</source>
        <translation>%1 に小テストを描けませんでした（%3 ページ中 %2 ページ）</translation>
    </message>
    <message>
        <source>Cannot read the script %1</source>
        <translation>スクリプト %1 を読むことができません</translation>
    </message>
    <message>
        <source>A question file (.moj), or a teacher&apos;s own (.csv).</source>
        <translation>問題ファイル（.moj）か、自分で作った問題のファイル（.csv）。</translation>
    </message>
    <message>
        <source>--script takes only --trace; the script opens the file and prints.</source>
        <translation>--script と一緒に指定できるのは --trace だけです。ファイルを開くのも印刷するのもスクリプトです。</translation>
    </message>
    <message>
        <source>Nothing to do: give a question file or --script FILE (see --help).</source>
        <translation>することがありません。問題ファイルか --script FILE を指定してください（--help を参照）。</translation>
    </message>
    <message>
        <source>This Qt build cannot decode Windows code page 932; question files cannot be read.</source>
        <translation>この Qt は Windows のコードページ 932 を変換できないため、問題ファイルを読むことができません。</translation>
    </message>
    <message>
        <source>Keeps every text inside its place (はみ出しを防ぐ).</source>
        <translation>すべての文字をその場所に収めます（はみ出しを防ぐ）。</translation>
    </message>
    <message>
        <source>Writes nothing when a sheet has findings.</source>
        <translation>問題のある小テストがあれば何も書きません。</translation>
    </message>
    <message>
        <source>Also writes the sheets with all answers to KEY.</source>
        <translation>すべての答えを入れた小テストを KEY にも書きます。</translation>
    </message>
    <message>
        <source>give the PDF file for the answer key with --key KEY.pdf</source>
        <translation>解答の PDF ファイルを --key KEY.pdf で指定してください</translation>
    </message>
    <message>
        <source>KEY and OUT are the same file</source>
        <translation>KEY と OUT が同じファイルです</translation>
    </message>
    <message>
        <source>key sheet</source>
        <translation>解答</translation>
    </message>
    <message>
        <source>sheet</source>
        <translation>小テスト</translation>
    </message>
    <message>
        <source>%1 %2, %3ページ, %4: %5</source>
        <translation>%1 %2, %3ページ, %4: %5</translation>
    </message>
    <message>
        <source>nothing written: the sheets have findings (--strict)</source>
        <translation>何も書きませんでした：小テストに問題があります（--strict）</translation>
    </message>
    <message>
        <source>OUT %1 is the question file %2 itself</source>
        <translation>OUT %1 が問題ファイル %2 そのものです</translation>
    </message>
    <message>
        <source>KEY %1 is the question file %2 itself</source>
        <translation>KEY %1 が問題ファイル %2 そのものです</translation>
    </message>
    <message>
        <source>%1: read as %2, not as CP932</source>
        <translation>%1: CP932 ではなく %2 として読みました</translation>
    </message>
    <message>
        <source>cannot write the trace file %1: %2</source>
        <translation>トレースファイル %1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>%1: too large to read</source>
        <translation>%1: 大きすぎて読むことができません</translation>
    </message>
    <message>
        <source>Cannot read the script %1: it is a folder</source>
        <translation>スクリプト %1 を読むことができません: フォルダーです</translation>
    </message>
    <message>
        <source>Prints on A4, or the A4 sheet enlarged to fill JIS B4 or A3 paper.</source>
        <translation>A4 に、または A4 の小テストを B4（JIS）か A3 の用紙いっぱいに拡大して印刷します。</translation>
    </message>
    <message>
        <source>--paper takes A4, B4 or A3, not &quot;%1&quot;</source>
        <translation>--paper には A4、B4、A3 のどれかを指定してください。「%1」は使えません</translation>
    </message>
    <message>
        <source>Turns the items of the right, left or both pages between reading and writing (書き⇄読み).</source>
        <translation>右・左・両方のページの問題の書きと読みを入れ替えます（書き⇄読み）。</translation>
    </message>
    <message>
        <source>Prints the items in the order SEED gives.</source>
        <translation>問題を SEED で決まる順番に並べ替えて印刷します。</translation>
    </message>
    <message>
        <source>A review page of the headings FIRST to LAST on the right page.</source>
        <translation>見出し FIRST から LAST までのまとめテストを右ページに入れます。</translation>
    </message>
    <message>
        <source>A review page of the headings FIRST to LAST on the left page.</source>
        <translation>見出し FIRST から LAST までのまとめテストを左ページに入れます。</translation>
    </message>
    <message>
        <source>How many items a review page draws (1 to 10).</source>
        <translation>まとめテストに入れる問題の数（1 から 10）。</translation>
    </message>
    <message>
        <source>The seed a review page draws its items by.</source>
        <translation>まとめテストの問題の選び方の番号（同じ番号なら同じ問題）。</translation>
    </message>
    <message>
        <source>Prints the sheet a sheet set file holds.</source>
        <translation>テストセットファイルに保存した小テストを印刷します。</translation>
    </message>
    <message>
        <source>--%1 needs a number from 1 to 4294967295, not &quot;%2&quot;</source>
        <translation>--%1 には 1 から 4294967295 までの数を指定してください。「%2」は使えません</translation>
    </message>
    <message>
        <source>--%1 needs the first and last heading numbers, as 3-5, not &quot;%2&quot;</source>
        <translation>--%1 には最初と最後の見出しの番号を 3-5 のように指定してください。「%2」は使えません</translation>
    </message>
    <message>
        <source>--flip takes right, left or both, not &quot;%1&quot;</source>
        <translation>--flip には right、left、both のどれかを指定してください。「%1」は使えません</translation>
    </message>
    <message>
        <source>--count and --seed go with --review or --review-left</source>
        <translation>--count と --seed は --review か --review-left と一緒に指定してください</translation>
    </message>
    <message>
        <source>--count needs 1 to 10 items, not &quot;%1&quot;</source>
        <translation>--count には問題の数を 1 から 10 で指定してください。「%1」は使えません</translation>
    </message>
    <message>
        <source>--set takes no --%1: the set holds the sheet&apos;s choices</source>
        <translation>--set には --%1 を指定できません。小テストの設定はテストセットに入っています</translation>
    </message>
    <message>
        <source>--set names its own question file, not &quot;%1&quot;</source>
        <translation>--set では問題ファイルはテストセットが指定します。「%1」は使えません</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>--left and --review-left go with --right or --review</source>
        <translation>--left と --review-left は --right か --review と一緒に指定してください</translation>
    </message>
    <message>
        <source>give --right N or --review FIRST-LAST, not both</source>
        <translation>--right N と --review FIRST-LAST は、どちらか一方だけを指定してください</translation>
    </message>
    <message>
        <source>give --left M or --review-left FIRST-LAST, not both</source>
        <translation>--left M と --review-left FIRST-LAST は、どちらか一方だけを指定してください</translation>
    </message>
    <message>
        <source>give one of --list, --right N, --review FIRST-LAST, --all or --set</source>
        <translation>--list、--right N、--review FIRST-LAST、--all、--set のどれか一つを指定してください</translation>
    </message>
    <message>
        <source>%1 is the set file %2 itself</source>
        <translation>%1 がテストセットファイル %2 そのものです</translation>
    </message>
    <message>
        <source>%1: headings %2 to %3 ask nothing to review</source>
        <translation>%1: 見出し %2 から %3 までには、まとめテストに入れる問題がありません</translation>
    </message>
    <message>
        <source>nothing written: %1 has changed since the set %2 was saved; open the set in Pobelo, check the sheet and save the set again</source>
        <translation>何も書きませんでした：テストセット %2 を保存したあとで %1 が変わっています。Pobelo でテストセットを開き、小テストを確かめてから、テストセットを保存し直してください</translation>
    </message>
    <message>
        <source>%1: the set holds no page to print</source>
        <translation>%1: テストセットに印刷するページがありません</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>ファイルがありません</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>ファイルを読めません</translation>
    </message>
    <message>
        <source>not a Pobelo sheet set file</source>
        <translation>Pobelo のテストセットファイルではありません</translation>
    </message>
    <message>
        <source>no version number (version)</source>
        <translation>版の番号（version）がありません</translation>
    </message>
    <message>
        <source>version %1 is no version number</source>
        <translation>版の番号（version）%1 が読めません</translation>
    </message>
    <message>
        <source>made by a newer Pobelo (version %1); this one reads version %2</source>
        <translation>新しい版の Pobelo で作られたファイルです（第%1版。この Pobelo が読めるのは第%2版まで）</translation>
    </message>
    <message>
        <source>%1 is missing</source>
        <translation>%1 がありません</translation>
    </message>
    <message>
        <source>text (&quot;…&quot;)</source>
        <translation>文字列（&quot;…&quot;）</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>数</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation> true か false </translation>
    </message>
    <message>
        <source>a list ([…])</source>
        <translation>一覧（[…]）</translation>
    </message>
    <message>
        <source>an object ({…})</source>
        <translation>まとまり（{…}）</translation>
    </message>
    <message>
        <source>%1 must be %2, not %3</source>
        <translation>%1 は%2でなければなりません（%3 になっています）</translation>
    </message>
    <message>
        <source>%1 holds a line break or another control character</source>
        <translation>%1 に改行などの制御文字があります</translation>
    </message>
    <message>
        <source>%1 must be one of %2, not %3</source>
        <translation>%1 は %2 のどれかでなければなりません（%3 になっています）</translation>
    </message>
    <message>
        <source>%1 must be a whole number from %2 to %3, not %4</source>
        <translation>%1 は %2〜%3 の整数でなければなりません（%4 になっています）</translation>
    </message>
    <message>
        <source>%1: %2 names no item (&quot;HEADING:ITEM&quot;, as &quot;3:2&quot;)</source>
        <translation>%1 の %2 は問題の番号（&quot;見出し:問題&quot;、例 &quot;3:2&quot;）ではありません</translation>
    </message>
    <message>
        <source>%1 holds the item %2 twice</source>
        <translation>%1 に問題 %2 が二度あります</translation>
    </message>
    <message>
        <source>%1 holds more than %2 items</source>
        <translation>%1 の問題が %2 を超えています</translation>
    </message>
    <message>
        <source>%1: larger than %2 MB, which no question file is: not read</source>
        <translation>%1: %2 MB を超えるファイルは問題ファイルではないため、読み込みません</translation>
    </message>
    <message>
        <source>the set names heading %1; the question file has headings 1 to %2</source>
        <translation>テストセットの見出し %1 が、問題ファイルにありません（見出しは %2 まで）</translation>
    </message>
    <message>
        <source>the question file has no heading &quot;%1&quot; any more</source>
        <translation>見出し「%1」が、問題ファイルにありません</translation>
    </message>
    <message>
        <source>heading &quot;%1&quot; has no question &quot;%2&quot; any more</source>
        <translation>見出し「%1」の問題「%2」が、問題ファイルにありません</translation>
    </message>
    <message>
        <source>nothing written: the set %1 names what %2 does not hold</source>
        <translation>何も書き出していません: テストセット %1 の問題が %2 にありません</translation>
    </message>
    <message>
        <source>Reads questions in the notation 前の文[問題の部分]後の文 (or a table whose answers may be empty) and writes them to OUT.csv with the readings filled in.</source>
        <translation>前の文[問題の部分]後の文 の書き方の問題（または答えが空いていてもよい表）を読み、読みを入れて OUT.csv に書きます。</translation>
    </message>
    <message>
        <source>--import takes only -o OUT.csv and --strict, not --%1</source>
        <translation>--import といっしょに使えるのは -o OUT.csv と --strict だけです（--%1 は使えません）</translation>
    </message>
    <message>
        <source>--import reads IN, not &quot;%1&quot;</source>
        <translation>--import が読むのは IN です（&quot;%1&quot; ではありません）</translation>
    </message>
    <message>
        <source>give the question file to write with -o OUT.csv</source>
        <translation>書き出す問題ファイルを -o OUT.csv で指定してください</translation>
    </message>
    <message>
        <source>OUT %1 must be a teacher&apos;s question file (.csv or .tsv)</source>
        <translation>OUT %1 は自作の問題ファイル（.csv か .tsv）でなければなりません</translation>
    </message>
    <message>
        <source>OUT %1 is IN %2 itself</source>
        <translation>OUT %1 は IN %2 そのものです</translation>
    </message>
    <message>
        <source>no asked part in [brackets]</source>
        <translation>[ ] で囲んだ問題の部分がありません</translation>
    </message>
    <message>
        <source>more than one asked part in [brackets]; one a line</source>
        <translation>[ ] で囲んだ問題の部分が二つ以上あります（一行に一つです）</translation>
    </message>
    <message>
        <source>the [ of the asked part is not closed</source>
        <translation>問題の部分の [ が閉じていません</translation>
    </message>
    <message>
        <source>fewer columns than 見出し, 前の文, 問題の部分</source>
        <translation>列が 見出し、前の文、問題の部分 より少なくなっています</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: ファイルがありません</translation>
    </message>
    <message>
        <source>%1: larger than %2 MB: not read</source>
        <translation>%1: %2 MB より大きいので読みません</translation>
    </message>
    <message>
        <source>%1: more headings than a file holds: nothing written</source>
        <translation>%1: 一つのファイルに入るより多くの見出しがあります。何も書きませんでした</translation>
    </message>
    <message>
        <source>自作の問題</source>
        <translation>自作の問題</translation>
    </message>
    <message>
        <source>%1: line %2: %3</source>
        <translation>%1: %2 行目: %3</translation>
    </message>
    <message>
        <source>%1: holds no questions: nothing written</source>
        <translation>%1: 問題がありません。何も書きませんでした</translation>
    </message>
    <message>
        <source>the reading dictionary (mecab-ipadic-utf8) is not installed: readings must be typed</source>
        <translation>読みの辞書（mecab-ipadic-utf8）がインストールされていません。読みは入力してください</translation>
    </message>
    <message>
        <source>%1: %2 → no reading found; type the answer</source>
        <translation>%1: %2 → 読みが見つかりません。答えを入力してください</translation>
    </message>
    <message>
        <source>%1: %2 → written in kana: give the answer in kanji ([%2|答え])</source>
        <translation>%1: %2 → かなで書かれています。答えの漢字を書いてください（[%2|答え]）</translation>
    </message>
    <message>
        <source>Adds to each sheet the elements LIST names, comma-separated: instruction (指示文), class (組・番), score (点数), squares (マス目), cut (切り取り線); kana puts the instruction in hiragana, squares=MM sets the squares&apos; size (10, 12, 14 or 16 mm). Empty for none.</source>
        <translation>LIST にコンマで区切って書いたものを小テストに加えます：instruction（指示文）、class（組・番）、score（点数）、squares（マス目）、cut（切り取り線）。kana は指示文をひらがなに、squares=MM はマス目の大きさ（10、12、14、16 mm）にします。空なら何も加えません。</translation>
    </message>
    <message>
        <source>Prints 「解答」 beside the title of every page printed with its answers (the key&apos;s pages among them).</source>
        <translation>答えを入れて印刷するすべてのページ（解答のページも）の表題の横に「解答」と印刷します。</translation>
    </message>
    <message>
        <source>--furniture takes instruction, class, score, squares, cut, kana and squares=10|12|14|16, not &quot;%1&quot;</source>
        <translation>--furniture には instruction、class、score、squares、cut、kana、squares=10|12|14|16 を書きます。「%1」は使えません</translation>
    </message>
    <message>
        <source>--ruby takes none, 1 to 6 or all, not &quot;%1&quot;</source>
        <translation>--ruby には none、1〜6、all のどれかを指定してください。「%1」は使えません</translation>
    </message>
    <message>
        <source>Both pages&apos; instruction line, instead of the one for what they ask.</source>
        <translation>両方のページの指示文（ページの問題にあわせた文の代わりに）。</translation>
    </message>
    <message>
        <source>Gives ruby (ふりがな) to no kanji, to the kanji a class has not learned by the end of grade N, or to all.</source>
        <translation>ふりがなを、付けない、N 年生までに習わない漢字に付ける、すべての漢字に付ける、から選びます。</translation>
    </message>
    <message>
        <source>an answer is missing and --strict was given: nothing written</source>
        <translation>答えのない問題があり、--strict が指定されているので、何も書きませんでした</translation>
    </message>
    <message>
        <source>Makes kanji mini-test sheets from Orvane question files (.moj), or from a
teacher&apos;s own (.csv, .tsv, .txt: one item a row under the header 見出し,
前の文, 問題の部分, 後の文, 答え and, if wanted, 字体).

  pobelo-sheet FILE --list
      Lists the headings of FILE, numbered from 1, one a line.
  pobelo-sheet FILE --right N [--left M] [--answers right|left|both]
               [--title TEXT] [--font NAME] [--fit] [--strict] [--key KEY.pdf]
               [--key-mark] [--paper A4|B4|A3] [--furniture LIST]
               [--instruction TEXT] [--ruby none|1-6|all] -o OUT.pdf
      One sheet: heading N on the right page and heading M on the left page
      (numbers as --list gives them). Without --left the left page has no questions.
  pobelo-sheet FILE --all [--answers ...] [--title TEXT] [--font NAME] -o OUT.pdf
      Every heading in list order, two to a sheet (right page, then left page),
      one sheet a page of OUT.pdf. With an odd count the last sheet&apos;s left page
      has no questions. Progress goes to standard error.
  pobelo-sheet --set SET.pobelo-set [--fit] [--strict] [--key KEY.pdf]
               [--key-mark] [--paper A4|B4|A3] [--ruby none|1-6|all] -o OUT.pdf
      The sheet a sheet set file saved in the window holds, from the question
      file it names. A question file changed since the set was saved is told
      and nothing is printed.
  pobelo-sheet --import IN [--strict] -o OUT.csv
      A teacher&apos;s questions typed as 前の文[問題の部分]後の文 (or a table whose
      answers may be empty) as a question file, each empty answer filled with
      the reading of its asked part and told on standard error.
  pobelo-sheet --script FILE [--trace FILE]
      Runs window actions, one a line, from FILE (&apos;-&apos; for standard input).

Each page is titled with the title and its heading&apos;s number, &quot;TEXT 3&quot;; the title
is set before the headings are chosen. Without --title it is &quot;小テスト&quot;.
Without --font each sheet prints in the font its question file names for the
heading chosen last. A font name starting with &quot;@&quot; (&quot;@IPAexMincho&quot;) prints
the vertical layout on portrait paper, any other name the upright layout on
landscape paper. A font that is not installed prints in a like one, and a line
on standard error says which (&quot;@HG教科書体 is not installed: printed in Klee One&quot;).

Test variants: --flip right|left|both turns the pages&apos; items between reading
and writing (書き⇄読み): the sentence shows the answer beside the side line and
the answer row asks for the marked part. --shuffle SEED prints the items in
another order (an A/B version; the same seed gives the same sheet) and prints
the seed small on the page. --review FIRST-LAST (instead of --right) and
--review-left FIRST-LAST (instead of --left) make a review page (まとめテスト)
of --count N items (10 unless given) drawn by --seed S (1 unless given) from
the headings FIRST to LAST, in the order of the file.

The sheets are A4. --paper B4 prints them on JIS B4 paper enlarged to fill it
(122 %), --paper A3 on A3 paper (141 %), as a copier enlarges an A4 sheet; the
key comes out on the same paper.

A school&apos;s test: --furniture instruction,class,score,squares,cut adds any of an
instruction line under each title (by what the page asks, or --instruction
TEXT; kana in the list puts it in hiragana), 組・番 after the name, a score box,
answer squares (a square per kanji with a dotted cross, a bracket for a
reading; the largest that fits, or squares=10|12|14|16 mm, never under 10 mm
on the paper; --fit makes squares too large smaller and says so) and a cut line
between the two tests. Without it the sheet is the plain one.
--ruby N gives ruby (ふりがな) to the kanji a class has not learned by the end of
grade N (1 to 6, by the 学年別漢字配当表), --ruby all to every kanji, --ruby none
(as without it, unless a set says otherwise) to none. The readings come from the
words around each kanji, or from a teacher&apos;s file (｜漢字《かんじ》). The asked
part, a word another item of the page asks to be read, titles and answers never
get ruby.

Each sheet is checked before it prints: every text that would run off the
paper, out of its frame or into another text&apos;s place is reported on standard
error, one line each (&quot;sheet 1, 右ページ, ③: ③ の文が用紙の下にはみ出します（8字）&quot;).
--fit closes up and shrinks such texts so that they stay in place; --strict
refuses to print a sheet with findings. --key writes KEY.pdf beside OUT: the
same sheets with the answers on both pages, for the teacher. --key-mark prints
「解答」 small beside the title of every page printed with its answers (the
key&apos;s, and those of --answers), so that a key is not copied for the class.

OUT, KEY and the trace FILE appear whole or not at all: they are replaced only
when every sheet printed, and never when they name the question file, the
script, a folder, a pipe or a device. The question file is never written.
Exit status: 0 done; 1 the question file could not be read or a file could not
be written; 2 bad arguments or script lines, a heading number not in the list
among them; 3 a sheet had findings and --strict was given (nothing written).</source>
        <translation>Orvane の問題ファイル（.moj）か、自分で作った問題のファイル（.csv、.tsv、.txt。
1 行目に「見出し,前の文,問題の部分,後の文,答え」と、あれば「字体」の列の名前、
2 行目から 1 行に 1 問）から漢字の小テストを作ります。

  pobelo-sheet FILE --list
      FILE の見出しを 1 から番号を付けて一行に一つずつ表示します。
  pobelo-sheet FILE --right N [--left M] [--answers right|left|both]
               [--title TEXT] [--font NAME] [--fit] [--strict] [--key KEY.pdf]
               [--key-mark] [--paper A4|B4|A3] [--furniture LIST]
               [--instruction TEXT] [--ruby none|1-6|all] -o OUT.pdf
      一枚の小テスト：右ページに見出し N、左ページに見出し M の問題を入れます
      （番号は --list の番号）。--left がなければ左ページは問題なしです。
  pobelo-sheet FILE --all [--answers ...] [--title TEXT] [--font NAME] -o OUT.pdf
      すべての見出しを一覧の順に二つずつ（右ページ、左ページの順に）入れ、
      一枚を OUT.pdf の一ページにします。数が奇数のときは、最後の一枚の
      左ページは問題なしです。進み具合を標準エラー出力に書きます。
  pobelo-sheet --set SET.pobelo-set [--fit] [--strict] [--key KEY.pdf]
               [--key-mark] [--paper A4|B4|A3] [--ruby none|1-6|all] -o OUT.pdf
      ウインドウで保存したテストセットファイルの小テストを、テストセットが
      指定する問題ファイルから印刷します。テストセットを保存したあとで
      問題ファイルが変わっていれば、そのことを書き、何も印刷しません。
  pobelo-sheet --import IN [--strict] -o OUT.csv
      前の文[問題の部分]後の文 の書き方（または答えが空いていてもよい表）の問題を
      問題ファイルにします。空いている答えには問題の部分の読みを入れ、標準エラーに
      知らせます。
  pobelo-sheet --script FILE [--trace FILE]
      FILE（「-」なら標準入力）に一行に一つずつ書いたウインドウの操作を行います。

各ページの表題は、表題に見出しの番号を付けたもの（「TEXT 3」）です。表題は
見出しを選ぶ前に入れます。--title がなければ「小テスト」です。
--font がなければ、最後に選んだ見出しについて問題ファイルが指定するフォントで
印刷します。名前が「@」で始まるフォント（「@IPAexMincho」）では縦向きの用紙に
縦書きで、それ以外のフォントでは横向きの用紙に印刷します。
インストールされていないフォントは似たフォントで印刷し、どのフォントで印刷したかを
標準エラー出力に書きます（「「@HG教科書体」がないため、「Klee One」で印刷します」）。

テストの作り分け：--flip right|left|both は、そのページの問題の書きと読みを
入れ替えます（書き⇄読み）。文には傍線を付けて答えが入り、答えの欄には
問われていた部分が入ります。--shuffle SEED は問題の順番を並べ替え（A/B の
二種類のテストに。同じ SEED なら同じ小テストになります）、SEED をページに
小さく印刷します。--review FIRST-LAST（--right の代わり）と --review-left
FIRST-LAST（--left の代わり）は、見出し FIRST から LAST までの問題から
--count N 問（指定がなければ 10 問）を --seed S（指定がなければ 1）で選び、
ファイルの順に並べたまとめテストのページを作ります。

小テストは A4 です。--paper B4 では B4（JIS）の用紙に、--paper A3 では A3 の
用紙に、コピー機で拡大するように A4 の小テストを用紙いっぱいに拡大して
（122 %、141 %）印刷します。解答（--key）も同じ用紙です。

学校のテストの形：--furniture instruction,class,score,squares,cut で、各表題の横の
指示文（ページの問題にあわせた文か --instruction TEXT。kana を加えるとひらがなで）、
名前のあとの「組」「番」、点数の欄、解答のマス目（漢字には一字ずつ十字の点線つきの
マス目、読みにはかっこ。入るいちばん大きな大きさか squares=10|12|14|16 mm。用紙で
10 mm より小さくはしません。--fit は大きすぎるマス目を小さくして知らせます）、二つの
テストの間の切り取り線を、どれでも加えます。なければ今までどおりの小テストです。

--ruby N では、N 年生（1〜6、学年別漢字配当表）までに習わない漢字に、--ruby all
ではすべての漢字に、ふりがなを付けます。--ruby none（セットがほかを指定して
いなければ、付けないときと同じ）では付けません。読みは漢字のまわりの言葉から、
または自分の問題の表の指定（｜漢字《かんじ》）から決めます。問題の部分、同じ
ページのほかの問題が読みを問う言葉、表題と答えには付けません。

印刷の前に小テストを一枚ずつ調べます。用紙や枠からはみ出す文字、ほかの文字の
場所に入る文字があれば、一つ一行で標準エラー出力に書きます
（「小テスト 1, 右ページ, ③: ③ の文が用紙の下にはみ出します（8字）」）。
--fit はそのような文字を詰めたり小さくしたりして収めます。--strict は問題のある
小テストを印刷しません。--key は OUT と同じ小テストを両ページとも答えを入れて
KEY.pdf に書きます（先生用）。--key-mark は、答えを入れて印刷するすべてのページ
（解答のページと --answers のページ）の表題の横に「解答」と小さく印刷します。
解答をクラスのためにコピーしてしまわないためです。

OUT、KEY、トレースの FILE は、完全なものができるか、まったく書かないかの
どちらかです。すべての小テストが印刷できたときにだけ置き換え、問題ファイル、
スクリプト、フォルダー、パイプ、デバイスを指すときは置き換えません。問題ファイルに
書き込むことはありません。
終了ステータス：0 完了、1 問題ファイルが読めないかファイルが書けない、2 引数か
スクリプトの行の誤り（一覧にない見出しの番号を含む）、3 問題があり --strict が
指定された（何も書かない）。</translation>
    </message>
</context>
</TS>
