<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Messages</name>
    <message>
        <source>原因不明のエラーが発生しました。</source>
        <translation>An unexpected error occurred.</translation>
    </message>
    <message>
        <source>一度は演奏をさせてください。</source>
        <translation>Draw or play a phrase first.</translation>
    </message>
    <message>
        <source>Rythm窓に指定エラーがあります。</source>
        <translation>The rhythm contains symbols it does not know; they were played as rests.</translation>
    </message>
    <message>
        <source>Scale.dat がありません。</source>
        <translation>Scale.dat is missing: there are no preset scales.</translation>
    </message>
    <message>
        <source>スケールの名前を入力してください。</source>
        <translation>Save Scale</translation>
    </message>
    <message>
        <source>Save Scale</source>
        <translation>Name of the new preset scale:</translation>
    </message>
    <message>
        <source>Voice Editer</source>
        <translation>Voice Editor</translation>
    </message>
    <message>
        <source>以下の文字列をコピーしました。</source>
        <translation>Copied to the clipboard:</translation>
    </message>
    <message>
        <source>検索文字列を入力してください。</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Find what:</translation>
    </message>
    <message>
        <source>検索文字列&quot;%1&quot;はありません。</source>
        <translation>&quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>音が出ません: </source>
        <translation>No sound: </translation>
    </message>
    <message>
        <source>変更は次のループから鳴ります。</source>
        <translation>The change sounds from the next pass of the loop.</translation>
    </message>
    <message>
        <source>変更にエラーがあります。ループは前のまま鳴ります。</source>
        <translation>The change has errors; the loop plays on as it was.</translation>
    </message>
    <message>
        <source>書き出しています: </source>
        <translation>Rendering: </translation>
    </message>
    <message>
        <source>書き出しました: </source>
        <translation>Written: </translation>
    </message>
</context>
<context>
    <name>Output</name>
    <message>
        <source>SoundFont: %1...</source>
        <translation>SoundFont: %1...</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>usual</translation>
    </message>
    <message>
        <source>標準の SoundFont に戻す</source>
        <translation>Back to the Usual SoundFont</translation>
    </message>
    <message>
        <source>SoundFont|*.sf2;*.sf3|すべてのファイル|*.*</source>
        <translation>SoundFont|*.sf2;*.sf3|All files|*.*</translation>
    </message>
    <message>
        <source>SoundFont: %1 (次の演奏から)</source>
        <translation>SoundFont: %1 (from the next play on)</translation>
    </message>
    <message>
        <source>出力(&amp;O)</source>
        <translation>&amp;Output</translation>
    </message>
    <message>
        <source>ソフトウェア シンセサイザー(&amp;S)</source>
        <translation>&amp;Software Synthesizer</translation>
    </message>
    <message>
        <source>(MIDI の出力先がありません)</source>
        <translation>(no MIDI destinations)</translation>
    </message>
    <message>
        <source>%1 (見つかりません)</source>
        <translation>%1 (not found)</translation>
    </message>
    <message>
        <source>仮想ポート &quot;Vorlumi3&quot;(&amp;V)</source>
        <translation>&amp;Virtual Port &quot;Vorlumi3&quot;</translation>
    </message>
    <message>
        <source>出力: ソフトウェア シンセサイザー</source>
        <translation>Output: the software synthesizer</translation>
    </message>
    <message>
        <source>出力: MIDI %1</source>
        <translation>Output: MIDI %1</translation>
    </message>
    <message>
        <source>MIDI クロックを送る(&amp;C)</source>
        <translation>Send MIDI &amp;Clock</translation>
    </message>
</context>
<context>
    <name>Roll</name>
    <message>
        <source>カーソルから再生</source>
        <translation>Play from Caret</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>検索する文字列:</source>
        <translation>Find what:</translation>
    </message>
    <message>
        <source>「%1」は見つかりません。</source>
        <translation>"%1" was not found.</translation>
    </message>
    <message>
        <source>指定行へ移動</source>
        <translation>Go to Line</translation>
    </message>
    <message>
        <source>行番号 (1～%1):</source>
        <translation>Line (1 to %1):</translation>
    </message>
    <message>
        <source>ピアノロール(&amp;R)</source>
        <translation>Piano &amp;Roll</translation>
    </message>
    <message>
        <source>MMLファイルを開く(&amp;M)...</source>
        <translation>Open MML &amp;File...</translation>
    </message>
    <message>
        <source>MMLファイルを開く</source>
        <translation>Open MML File</translation>
    </message>
    <message>
        <source>MMLファイル (*.vlm);;すべてのファイル (*)</source>
        <translation>MML files (*.vlm);;All files (*)</translation>
    </message>
    <message>
        <source>再コンパイル</source>
        <translation>Recompile</translation>
    </message>
    <message>
        <source>エラーはありません。</source>
        <translation>No errors.</translation>
    </message>
    <message>
        <source>ファイルを読み込めません: %1</source>
        <translation>Cannot read the file: %1</translation>
    </message>
    <message>
        <source>コンパイルできませんでした: %1</source>
        <translation>Could not compile: %1</translation>
    </message>
    <message>
        <source>ピアノロールを描けません: %1</source>
        <translation>Cannot draw the piano roll: %1</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>%1 には前回保存されなかった変更が残っています。復元しますか？</source>
        <translation>Changes to %1 that were not saved when the program last ended were kept. Restore them?</translation>
    </message>
    <message>
        <source>フレーズを MML で編集(&amp;E)...</source>
        <translation>&amp;Edit Phrase as MML...</translation>
    </message>
    <message>
        <source>フレーズの MML の保存先</source>
        <translation>Save the Phrase's MML As</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>保存できませんでした: %1</source>
        <translation>Could not save: %1</translation>
    </message>
    <message>
        <source>%1 は変更されています。保存しますか？</source>
        <translation>%1 has changes that are not saved. Save them?</translation>
    </message>
    <message>
        <source>%1 がほかのプログラムで変更されました。読み込み直しますか？ここでの変更は失われます。</source>
        <translation>%1 was changed by another program. Load it again? The changes made here will be lost.</translation>
    </message>
    <message>
        <source>ピアノロール</source>
        <translation>Piano roll</translation>
    </message>
    <message>
        <source>MML テキスト</source>
        <translation>MML text</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Errors</translation>
    </message>
</context>
<context>
    <name>Recent</name>
    <message>
        <source>最近開いたファイル(&amp;R)</source>
        <translation>Open &amp;Recent</translation>
    </message>
    <message>
        <source>一覧を消去</source>
        <translation>Clear Menu</translation>
    </message>
    <message>
        <source>(ありません)</source>
        <translation>(none)</translation>
    </message>
</context>
<context>
    <name>WindowTexts</name>
    <message>
        <source>開く前の設定に戻す(&amp;U)</source>
        <translation>&amp;Undo Open</translation>
    </message>
    <message>
        <source>設定ファイルを開く前の設定に戻します。</source>
        <translation>Bring back the settings from before the file was opened.</translation>
    </message>
    <message>
        <source>演奏中 %1 / %2</source>
        <translation>Playing %1 / %2</translation>
    </message>
</context>
<context>
    <name>Workshop</name>
    <message>
        <source>履歴(&amp;Y)</source>
        <translation>Histor&amp;y</translation>
    </message>
    <message>
        <source>前のフレーズ</source>
        <translation>Previous Phrase</translation>
    </message>
    <message>
        <source>履歴を一つ戻り、前のリズムとパターンを出します。</source>
        <translation>Step back in the history to the previous rhythm and pattern.</translation>
    </message>
    <message>
        <source>次のフレーズ</source>
        <translation>Next Phrase</translation>
    </message>
    <message>
        <source>履歴を一つ進み、次のリズムとパターンを出します。</source>
        <translation>Step forward in the history to the next rhythm and pattern.</translation>
    </message>
    <message>
        <source>戻る・進むで演奏する</source>
        <translation>Play on Previous/Next</translation>
    </message>
    <message>
        <source>この履歴の設定を復元</source>
        <translation>Restore This Phrase&apos;s Settings</translation>
    </message>
    <message>
        <source>キープ</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>今のフレーズをキープします（キープしたフレーズは消えません）。</source>
        <translation>Keep the current phrase (kept phrases are never dropped from the history).</translation>
    </message>
    <message>
        <source>シードを固定</source>
        <translation>Lock Seed</translation>
    </message>
    <message>
        <source>F5・F3 で同じシードを使い、設定の違いを同じフレーズで聴けます。</source>
        <translation>F5 and F3 reuse the same seed, so you hear what a changed setting does to the same phrase.</translation>
    </message>
    <message>
        <source>シードをコピー</source>
        <translation>Copy Seed</translation>
    </message>
    <message>
        <source>キープしたフレーズ...</source>
        <translation>Kept Phrases...</translation>
    </message>
    <message>
        <source>キープしたフレーズ</source>
        <translation>Kept Phrases</translation>
    </message>
    <message>
        <source>呼び出す</source>
        <translation>Recall</translation>
    </message>
    <message>
        <source>ソングへ</source>
        <translation>To Song</translation>
    </message>
    <message>
        <source>Song ページの「今編集中のパターンを N 番に」の番号へコピーします。</source>
        <translation>Copy into the slot chosen beside &quot;Copy the current pattern to slot&quot; on the Song page.</translation>
    </message>
    <message>
        <source>MIDI 保存</source>
        <translation>Save MIDI</translation>
    </message>
    <message>
        <source>MML 保存</source>
        <translation>Save MML</translation>
    </message>
    <message>
        <source>キープを外す</source>
        <translation>Unkeep</translation>
    </message>
    <message>
        <source>キープしていないフレーズも表示 (新しい順)</source>
        <translation>Show the phrases not kept too (newest first)</translation>
    </message>
    <message>
        <source>名前...</source>
        <translation>Name...</translation>
    </message>
    <message>
        <source>選んだフレーズに名前を付けます (F2)。書き出すファイルの名前にもなります。</source>
        <translation>Names the selected phrase (F2); exported files take the name too.</translation>
    </message>
    <message>
        <source>フレーズの名前:</source>
        <translation>Name of the phrase:</translation>
    </message>
    <message>
        <source>すべて書き出す...</source>
        <translation>Export All...</translation>
    </message>
    <message>
        <source>ダブルクリックで呼び出します。シーケンサーやファイルマネージャーへドラッグすると MIDI ファイルになります。</source>
        <translation>Double-click to recall. Drag into a sequencer or a file manager to drop the phrase as a MIDI file.</translation>
    </message>
    <message>
        <source>キープしたフレーズをすべて、MIDI ファイルと MML ファイルにしてフォルダーに書き出します。</source>
        <translation>Writes every kept phrase into a folder, each as a MIDI file and an MML file.</translation>
    </message>
    <message>
        <source>書き出すフォルダー</source>
        <translation>Folder to Export To</translation>
    </message>
    <message>
        <source>%1 個のフレーズを %2 に書き出しました</source>
        <translation>%1 phrases written to %2</translation>
    </message>
    <message>
        <source>シード: %1</source>
        <translation>Seed: %1</translation>
    </message>
    <message>
        <source>シード: なし</source>
        <translation>Seed: none</translation>
    </message>
    <message>
        <source>（コンパイル: %1）</source>
        <translation> (compile: %1)</translation>
    </message>
    <message>
        <source>クリックでシードをコピーします。</source>
        <translation>Click to copy the seed.</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
</context>
<context>
    <name>vlm::ui::HelpWindow</name>
    <message>
        <source>Vorlumi3 Help</source>
        <translation>Vorlumi3 Help</translation>
    </message>
    <message>
        <source>ja</source>
        <extracomment>Language code of the help pages: NAME.CODE.hlp beside the help file is shown instead when it exists.</extracomment>
        <translation>en</translation>
    </message>
</context>
<context>
    <name>vlm::ui::MainWindow</name>
    <message>
        <source>Preset Scale</source>
        <translation>Preset scale</translation>
    </message>
    <message>
        <source>Shift #</source>
        <translation>Semitone Up</translation>
    </message>
    <message>
        <source>Shift b</source>
        <translation>Semitone Down</translation>
    </message>
    <message>
        <source>Save Scale</source>
        <translation>Save Scale...</translation>
    </message>
    <message>
        <source>Rnd</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>普通に発音</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>休符</source>
        <translation>Rest</translation>
    </message>
    <message>
        <source>タイ</source>
        <translation>Tie</translation>
    </message>
    <message>
        <source>ミュートして発音</source>
        <translation>Muted note</translation>
    </message>
    <message>
        <source>音符分割</source>
        <translation>Split note</translation>
    </message>
    <message>
        <source>ベンドアップ</source>
        <translation>Bend up</translation>
    </message>
    <message>
        <source>和音</source>
        <translation>Chord</translation>
    </message>
    <message>
        <source>ｹﾞｰﾄﾚｲﾄ</source>
        <translation>Gate time</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Muted</translation>
    </message>
    <message>
        <source>基本音符</source>
        <translation>Step length 1/</translation>
    </message>
    <message>
        <source>分音符を</source>
        <translation>×</translation>
    </message>
    <message>
        <source>個</source>
        <translation>steps</translation>
    </message>
    <message>
        <source>音域</source>
        <translation>Octaves</translation>
    </message>
    <message>
        <source>～</source>
        <translation>to</translation>
    </message>
    <message>
        <source>テンポ</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>音色</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>Velocity</source>
        <translation>Velocity</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>ベンドレンジ</source>
        <translation>Bend range</translation>
    </message>
    <message>
        <source>コピーする</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>今編集中のパターンを</source>
        <translation>Copy the current pattern to slot</translation>
    </message>
    <message>
        <source>番に</source>
        <translation>:</translation>
    </message>
    <message>
        <source>連続再生</source>
        <translation>Song playback</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>リストクリア</source>
        <translation>Clear List</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>スロットへのコピーやリストクリアを取り消します</source>
        <translation>Takes back the last copy into a slot or the last Clear List</translation>
    </message>
    <message>
        <source>x4 Repeat</source>
        <translation>Repeat ×4</translation>
    </message>
    <message>
        <source>パターン演奏リスト</source>
        <translation>Slots to play in order</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>Rythm</source>
        <translation>Rhythm</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>Basics</translation>
    </message>
    <message>
        <source>Song</source>
        <translation>Song</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Open Settings...</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save Settings...</translation>
    </message>
    <message>
        <source>Save As S&amp;MF</source>
        <translation>Export &amp;MIDI File...</translation>
    </message>
    <message>
        <source>&amp;Loop</source>
        <translation>&amp;Loop</translation>
    </message>
    <message>
        <source>止めるまで繰り返し演奏します (Ctrl+L)。</source>
        <translation>Plays over and over until stopped (Ctrl+L).</translation>
    </message>
    <message>
        <source>Save As &amp;WAV</source>
        <translation>Export &amp;WAV File...</translation>
    </message>
    <message>
        <source>Save As MM&amp;L(vlm)</source>
        <translation>Export MM&amp;L...</translation>
    </message>
    <message>
        <source>Save As MML(TORAMI)</source>
        <translation>Export MML for TORAMI...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>&amp;Play (Make R+P)</source>
        <translation>Draw and &amp;Play</translation>
    </message>
    <message>
        <source>Play (Make P)</source>
        <translation>Draw Pitches and Play</translation>
    </message>
    <message>
        <source>Play (&amp;Compile)</source>
        <translation>&amp;Compile and Play</translation>
    </message>
    <message>
        <source>Play (Son&amp;g)</source>
        <translation>Play Son&amp;g</translation>
    </message>
    <message>
        <source>Make Rythm</source>
        <translation>Draw Rhythm</translation>
    </message>
    <message>
        <source>Make Pattern</source>
        <translation>Draw Pitches</translation>
    </message>
    <message>
        <source>Compile</source>
        <translation>Compile</translation>
    </message>
    <message>
        <source>Play (Only)</source>
        <translation>Play Without Compiling</translation>
    </message>
    <message>
        <source>&amp;Tool</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;Voice Edeiter</source>
        <translation>&amp;Voice Editor</translation>
    </message>
    <message>
        <source>&amp;Message View</source>
        <translation>&amp;Messages</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Version Info.</source>
        <translation>&amp;About Vorlumi3</translation>
    </message>
    <message>
        <source>新しいパターンを作成し演奏します。</source>
        <translation>Draw a new rhythm and pitches, and play them</translation>
    </message>
    <message>
        <source>リズムはそのままで、音程違いのパターンを作ります。</source>
        <translation>Keep the rhythm, draw new pitches, and play them</translation>
    </message>
    <message>
        <source>新しいパターンを作らないで、待機中のパターンを演奏します。</source>
        <translation>Play the pattern as it stands, without drawing</translation>
    </message>
    <message>
        <source>演奏を止めます。</source>
        <translation>Stop playing</translation>
    </message>
    <message>
        <source>ソングパターンに登録されているパターンを演奏します。</source>
        <translation>Play the slots listed in the song</translation>
    </message>
    <message>
        <source>Version Info.</source>
        <translation>About Vorlumi3</translation>
    </message>
    <message>
        <source>リズム</source>
        <translation>Rhythm</translation>
    </message>
    <message>
        <source>パターン</source>
        <translation>Pattern</translation>
    </message>
    <message>
        <source>基本音符の数</source>
        <translation>Number of steps</translation>
    </message>
    <message>
        <source>音域の下限</source>
        <translation>Lowest octave</translation>
    </message>
    <message>
        <source>音域の上限</source>
        <translation>Highest octave</translation>
    </message>
</context>
<context>
    <name>vlm::ui::MsgViewWindowQt</name>
    <message>
        <source>Message View</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>&amp;Message</source>
        <translation>&amp;Messages</translation>
    </message>
    <message>
        <source>&amp;Debug</source>
        <translation>&amp;Compiled Source</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Find...</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>Find &amp;Next</translation>
    </message>
</context>
<context>
    <name>vlm::ui::QtPlatform</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>vlm::ui::VoiceEditorWindow</name>
    <message>
        <source>Voice</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Vib Rate</source>
        <translation>Vibrato Rate</translation>
    </message>
    <message>
        <source>Vib Depth</source>
        <translation>Vibrato Depth</translation>
    </message>
    <message>
        <source>Vib Delay</source>
        <translation>Vibrato Delay</translation>
    </message>
    <message>
        <source>Cutoff</source>
        <translation>Cutoff</translation>
    </message>
    <message>
        <source>Resonance</source>
        <translation>Resonance</translation>
    </message>
    <message>
        <source>Attack</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>Decay</source>
        <translation>Decay</translation>
    </message>
    <message>
        <source>Release</source>
        <translation>Release</translation>
    </message>
    <message>
        <source>GS-Reset</source>
        <translation>GS Reset</translation>
    </message>
    <message>
        <source>XG-Reset</source>
        <translation>XG Reset</translation>
    </message>
    <message>
        <source>Rnd</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Vib</source>
        <translation>Vibrato</translation>
    </message>
    <message>
        <source>Filtr</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>EG</source>
        <translation>Envelope</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Check</source>
        <translation>&amp;Switches</translation>
    </message>
    <message>
        <source>全てのチェックをつける(&amp;A)</source>
        <translation>Switch &amp;All On</translation>
    </message>
    <message>
        <source>全てのチェックをはずす(&amp;N)</source>
        <translation>Switch All &amp;Off</translation>
    </message>
    <message>
        <source>C&amp;opy</source>
        <translation>C&amp;opy</translation>
    </message>
    <message>
        <source>&amp;Copy(MML for vlm)</source>
        <translation>&amp;Copy as MML</translation>
    </message>
    <message>
        <source>Copy(MML for &amp;TORAMI)</source>
        <translation>Copy as MML for &amp;TORAMI</translation>
    </message>
</context>
</TS>
