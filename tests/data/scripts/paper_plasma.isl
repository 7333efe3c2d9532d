# Rough watercolour paper: soft plasma clouds with fine grain on top.
ISL 1
size 256 256
seed 20240
background 200 200 200
plasma roughness=65 color1=150,150,150 color2=255,255,255
noise cell=1 opacity=25 mode=1 color1=180,180,180 color2=255,255,255
blur radius=1 passes=1
