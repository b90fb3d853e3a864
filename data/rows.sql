INSERT INTO 版本 (版本号) VALUES ('2.2');
